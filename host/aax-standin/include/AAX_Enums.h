// Stand-in AAX layer: the enumerations the framework's client and the stand-in host use.
#pragma once

#include "AAX.h"

enum AAX_EStemFormat : int32_t
{
    AAX_eStemFormat_None       = 0,
    AAX_eStemFormat_Mono       = AAX_STEM_FORMAT (0, 1),
    AAX_eStemFormat_Stereo     = AAX_STEM_FORMAT (1, 2),
    AAX_eStemFormat_LCR        = AAX_STEM_FORMAT (2, 3),
    AAX_eStemFormat_LCRS       = AAX_STEM_FORMAT (3, 4),
    AAX_eStemFormat_Quad       = AAX_STEM_FORMAT (4, 4),
    AAX_eStemFormat_5_0        = AAX_STEM_FORMAT (5, 5),
    AAX_eStemFormat_5_1        = AAX_STEM_FORMAT (6, 6),
    AAX_eStemFormat_6_0        = AAX_STEM_FORMAT (7, 6),
    AAX_eStemFormat_6_1        = AAX_STEM_FORMAT (8, 7),
    AAX_eStemFormat_7_0_SDDS   = AAX_STEM_FORMAT (9, 7),
    AAX_eStemFormat_7_1_SDDS   = AAX_STEM_FORMAT (10, 8),
    AAX_eStemFormat_7_0_DTS    = AAX_STEM_FORMAT (11, 7),
    AAX_eStemFormat_7_1_DTS    = AAX_STEM_FORMAT (12, 8),
    AAX_eStemFormat_7_0_2      = AAX_STEM_FORMAT (13, 9),
    AAX_eStemFormat_7_1_2      = AAX_STEM_FORMAT (14, 10),
    AAX_eStemFormat_Ambi_1_ACN = AAX_STEM_FORMAT (15, 4),
    AAX_eStemFormat_Ambi_2_ACN = AAX_STEM_FORMAT (16, 9),
    AAX_eStemFormat_Ambi_3_ACN = AAX_STEM_FORMAT (17, 16),
    AAX_eStemFormat_Reserved_1 = AAX_STEM_FORMAT (18, 0),
    AAX_eStemFormat_Reserved_2 = AAX_STEM_FORMAT (19, 0),
    AAX_eStemFormat_Reserved_3 = AAX_STEM_FORMAT (20, 0),
    AAX_eStemFormatNum         = 21,
    AAX_eStemFormat_Any        = AAX_STEM_FORMAT (0x7FFE, 0),
    AAX_eStemFormat_INT32_MAX  = 0x7FFFFFFF
};

// Categories are bits; a plug-in may name several.
enum AAX_EPlugInCategory : uint32_t
{
    AAX_ePlugInCategory_None           = 0x00000000,
    AAX_ePlugInCategory_EQ             = 0x00000001,
    AAX_ePlugInCategory_Dynamics       = 0x00000002,
    AAX_ePlugInCategory_PitchShift     = 0x00000004,
    AAX_ePlugInCategory_Reverb         = 0x00000008,
    AAX_ePlugInCategory_Delay          = 0x00000010,
    AAX_ePlugInCategory_Modulation     = 0x00000020,
    AAX_ePlugInCategory_Harmonic       = 0x00000040,
    AAX_ePlugInCategory_NoiseReduction = 0x00000080,
    AAX_ePlugInCategory_Dither         = 0x00000100,
    AAX_ePlugInCategory_SoundField     = 0x00000200,
    AAX_ePlugInCategory_HWGenerators   = 0x00000400,
    AAX_ePlugInCategory_SWGenerators   = 0x00000800,
    AAX_ePlugInCategory_WrappedPlugin  = 0x00001000,
    AAX_ePlugInCategory_Effect         = 0x00002000
};

enum AAX_EProperty : int32_t
{
    AAX_eProperty_NoID                         = 0,
    AAX_eProperty_ManufacturerID               = 11,
    AAX_eProperty_ProductID                    = 12,
    AAX_eProperty_PlugInID_Native              = 13,
    AAX_eProperty_PlugInID_AudioSuite          = 14,
    AAX_eProperty_InputStemFormat              = 51,
    AAX_eProperty_OutputStemFormat             = 52,
    AAX_eProperty_CanBypass                    = 60,
    AAX_eProperty_SupportsSideChainInput       = 116,
    AAX_eProperty_Constraint_MultiMonoSupport  = 304,
    AAX_eProperty_Meter_Type                   = 400,
    AAX_eProperty_Meter_Orientation            = 401
};

enum AAX_EDataInPortType : int32_t
{
    AAX_eDataInPortType_Unbuffered  = 0,
    AAX_eDataInPortType_Buffered    = 1,
    AAX_eDataInPortType_Incremental = 2
};

enum AAX_EPrivateDataOptions : uint32_t
{
    AAX_ePrivateDataOptions_DefaultOptions = 0,
    AAX_ePrivateDataOptions_KeepOnReset    = 1
};

enum AAX_EParameterType : int32_t
{
    AAX_eParameterType_Discrete   = 0,
    AAX_eParameterType_Continuous = 1
};

// Orientation bits; the zero bits are the defaults.
enum AAX_EParameterOrientationBits : int32_t
{
    AAX_eParameterOrientation_Default               = 0,
    AAX_eParameterOrientation_LeftMinRightMax       = 0,
    AAX_eParameterOrientation_RightMinLeftMax       = 1,
    AAX_eParameterOrientation_BottomMinTopMax       = 0,
    AAX_eParameterOrientation_TopMinBottomMax       = 2,
    AAX_eParameterOrientation_RotarySingleDotMode   = 0,
    AAX_eParameterOrientation_RotaryBoostCutMode    = 4,
    AAX_eParameterOrientation_RotaryWrapMode        = 8,
    AAX_eParameterOrientation_RotaryLeftMinRightMax = 0,
    AAX_eParameterOrientation_RotaryRightMinLeftMax = 16
};

enum AAX_EUpdateSource : int32_t
{
    AAX_eUpdateSource_Unspecified = 0,
    AAX_eUpdateSource_Parameter   = 1,
    AAX_eUpdateSource_Chunk       = 2,
    AAX_eUpdateSource_Delay       = 3
};

enum AAX_EMeterType : int32_t
{
    AAX_eMeterType_Input    = 0,
    AAX_eMeterType_Output   = 1,
    AAX_eMeterType_CLGain   = 2,
    AAX_eMeterType_EGGain   = 3,
    AAX_eMeterType_Analysis = 4,
    AAX_eMeterType_Other    = 5
};

enum AAX_EMeterOrientation : int32_t
{
    AAX_eMeterOrientation_Default  = 0,
    AAX_eMeterOrientation_TopRight = 1
};

enum AAX_EHighlightColor : int32_t
{
    AAX_eHighlightColor_Red    = 0,
    AAX_eHighlightColor_Blue   = 1,
    AAX_eHighlightColor_Green  = 2,
    AAX_eHighlightColor_Yellow = 3,
    AAX_eHighlightColor_Num
};

enum AAX_EModifiers : uint32_t
{
    AAX_eModifiers_None    = 0,
    AAX_eModifiers_Shift   = 1u << 0,
    AAX_eModifiers_Control = 1u << 1,
    AAX_eModifiers_Option  = 1u << 2,
    AAX_eModifiers_Command = 1u << 3,
    AAX_eModifiers_Alt     = AAX_eModifiers_Option
};

enum AAX_EViewContainer_Type : int32_t
{
    AAX_eViewContainer_Type_NULL   = 0,
    AAX_eViewContainer_Type_NSView = 1,
    AAX_eViewContainer_Type_HWND   = 2
};

enum AAX_ENotificationEvent : AAX_CTypeID
{
    AAX_eNotificationEvent_EnteringOfflineMode        = 0x6F66666E, // 'offn'
    AAX_eNotificationEvent_ExitingOfflineMode         = 0x6F666678, // 'offx'
    AAX_eNotificationEvent_TrackNameChanged           = 0x74726E6D, // 'trnm'
    AAX_eNotificationEvent_SideChainBeingConnected    = 0x7363636E, // 'sccn'
    AAX_eNotificationEvent_SideChainBeingDisconnected = 0x73636463, // 'scdc'
    AAX_eNotificationEvent_ASProcessingState          = 0x61737073  // 'asps'
};

enum AAX_EProcessingState : int32_t
{
    AAX_eProcessingState_Stop           = 0,
    AAX_eProcessingState_StartPass      = 1,
    AAX_eProcessingState_EndPass        = 2,
    AAX_eProcessingState_BeginPassGroup = 3,
    AAX_eProcessingState_EndPassGroup   = 4
};

enum AAX_ECurveType : AAX_CTypeID
{
    AAX_eCurveType_None      = 0,
    AAX_eCurveType_EQ        = 0x4551206C, // 'EQ l'
    AAX_eCurveType_Dynamics  = 0x44796E6C, // 'Dynl'
    AAX_eCurveType_Reduction = 0x4C6D6974  // 'Lmit'
};

enum AAX_EFrameRate : int32_t
{
    AAX_eFrameRate_Undeclared = 0
};

// Block lengths are powers of two; the largest a host sends is 1 << 10.
enum AAX_EAudioBufferLength : int32_t
{
    AAX_eAudioBufferLength_Min = 5,
    AAX_eAudioBufferLength_Max = 10
};

enum AAX_ESupportLevel : int32_t
{
    AAX_eSupportLevel_Uninitialized = 0,
    AAX_eSupportLevel_Unsupported   = 1,
    AAX_eSupportLevel_Supported     = 2,
    AAX_eSupportLevel_Disabled      = 3,
    AAX_eSupportLevel_ByProperty    = 4
};
