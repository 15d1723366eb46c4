// The controls of our form layer in one include: the base classes and the simple controls.
#pragma once

#include "Buttons.h"
#include "Control.h"
#include "GraphicControls.h"
