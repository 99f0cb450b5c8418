// Stand-in AAX layer: feature IDs a plug-in may ask the description host about.
#pragma once

#include "AAX.h"

typedef acfUID AAX_Feature_UID;

// Stem formats: support level per format, listed by property (the format's value).
constexpr AAX_Feature_UID AAXATTR_ClientFeature_StemFormat = { 0x7A6E0101, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x53, 0x54, 0x4D, 0x46 } };
