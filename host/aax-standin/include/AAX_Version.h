// Stand-in AAX layer: the SDK version it declares. Only 2.3.0 is offered, so the
// framework's client takes its 2.3 paths (no transport-state notification).
#pragma once

#define AAX_SDK_VERSION            0x0203
#define AAX_SDK_2p3p0_REVISION     12546840
#define AAX_SDK_CURRENT_REVISION   AAX_SDK_2p3p0_REVISION
