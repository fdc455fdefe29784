// Boundary of the brush tool, grit textures and brush shapes.
#include <cstddef>

#include "brush/tool_state.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "morvane/morvane.h"

// The tool record crosses the boundary by value with natural C alignment:
// 13 four-byte fields, padding, two pointers, the angle and tail padding.
static_assert(sizeof(MRV_ToolRecord) == 80, "MRV_ToolRecord must keep its 80-byte x86-64 layout");
static_assert(offsetof(MRV_ToolRecord, paperPath) == 56, "paperPath follows four bytes of padding");
static_assert(offsetof(MRV_ToolRecord, shapeAngle) == 72, "shapeAngle follows the two paths");
