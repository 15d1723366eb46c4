// Identifiers of the framework's resources (framework/res/Framework.rc).
#pragma once

// The product icon shown by the about box: 48 x 48 pixels, 32-bit colour.
#define IDI_PRODUCT 1100
