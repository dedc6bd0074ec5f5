// The publication of the block to other processes: the named mutex and mapping, and their names.
#pragma once
#include <string>

#include "eudccore/client_data.h"

namespace clientdata {

// "Global\" on Windows NT 5.0 and later, where sessions have their own namespaces; else empty.
std::string ObjectNamePrefix();
// Creates the mutex and the mapping that the object does not hold yet. Failures leave the handle
// null: publication is then off.
void OpenPublication(Client_Data& data);

}  // namespace clientdata
