// eudccore: every exported name of the library.
#pragma once
#include "eudccore/export.h"
#include "eudccore/font_slot.h"
#include "eudccore/as400_2_code.h"
#include "eudccore/tte_install.h"
#include "eudccore/tte_copy.h"
#include "eudccore/lock_eudc.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/tte_update.h"
#include "eudccore/ref_glyph.h"
#include "eudccore/client_data.h"
#include "eudccore/ime_keys.h"
#include "eudccore/ime_buffer.h"
