#pragma once
// A header of the lowest floor that reaches a floor above it: the layer check
// must refuse it.

#include "common/result.h"
#include "observe/look_command.h"
