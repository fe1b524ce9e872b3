#include "console/context.h"

ControllerContext controllerContext;
