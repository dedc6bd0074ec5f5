// eudccore: every exported name of the library.
#pragma once
#include "eudccore/export.h"
