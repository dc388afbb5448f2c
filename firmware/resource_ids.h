#pragma once

// The firmware images' resource ids. The resource compiler reads this file too (the
// command-line program's resource script includes it), and it understands macros alone.
#define VOQ_TARGET_IMAGE_RESOURCE 112
#define VOQ_TRANSITION_IMAGE_RESOURCE 319
