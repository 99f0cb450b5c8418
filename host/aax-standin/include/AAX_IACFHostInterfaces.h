// Stand-in ACF interfaces that a host implements and the library's wrappers call.
// The library asks a host object for them with IACFUnknown::QueryInterface; every
// one is optional unless said otherwise.
#pragma once

#include "AAX.h"

class AAX_IEffectParameters;

// {host services} Trace and assertion output. Asked of the object given to ACFStartup.
constexpr acfIID IID_IAAXHostServicesV1 = { 0x7A6E0001, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x48, 0x53, 0x56, 0x31 } };

class AAX_IACFHostServices : public IACFUnknown
{
public:
    virtual ACFRESULT Trace (int32_t priority, const char* message) = 0;
    virtual ACFRESULT HandleAssertFailure (const char* file, int32_t line, const char* note) = 0;

protected:
    ~AAX_IACFHostServices() = default;
};

// One call made on a description object, as the library hands it to the host.
struct AAX_SDescriptionCall
{
    int32_t     objectID;     // 0 is the collection; others come from NewObject
    const char* method;       // the interface method's name
    int64_t     values[4];    // numeric arguments in order (object arguments as their IDs)
    int32_t     numValues;
    const char* text;         // string argument, or null
    const void* pointer;      // procedure argument, or null
};

enum AAX_EDescriptionObject : int32_t
{
    AAX_eDescriptionObject_EffectDescriptor    = 1,
    AAX_eDescriptionObject_ComponentDescriptor = 2,
    AAX_eDescriptionObject_PropertyMap         = 3
};

// {description log} Required by ACFRegisterPlugin: the host's record of the plug-in
// definition. The same object must answer IID_IACFPluginDefinition.
constexpr acfIID IID_IAAXDescriptionLogV1 = { 0x7A6E0002, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x44, 0x4C, 0x47, 0x31 } };
constexpr acfIID IID_IACFPluginDefinition = { 0x7A6E0003, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x50, 0x44, 0x46, 0x31 } };

class AAX_IACFDescriptionLog : public IACFUnknown
{
public:
    // Returns the new object's ID (> 0), or 0 when the host will not give one.
    virtual int32_t NewObject (AAX_EDescriptionObject kind) = 0;
    // The host copies whatever it keeps; the call's pointers live only during the call.
    virtual ACFRESULT Record (const AAX_SDescriptionCall& call) = 0;

protected:
    ~AAX_IACFDescriptionLog() = default;
};

// {description host} What the host can do, asked of the ACFRegisterPlugin host object.
constexpr acfIID IID_IAAXDescriptionHostV1 = { 0x7A6E0004, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x44, 0x48, 0x53, 0x31 } };

class AAX_IACFDescriptionHost : public IACFUnknown
{
public:
    // Support level (AAX_ESupportLevel) of a feature, or a negative value when unknown.
    virtual int32_t FeatureSupportLevel (const acfUID& feature) = 0;
    // Per-feature property, e.g. the support level of one stem format. False when not listed.
    virtual bool FeatureProperty (const acfUID& feature, int32_t property, int32_t* value) = 0;

protected:
    ~AAX_IACFDescriptionHost() = default;
};

// {controller} Required by AAX_CEffectParameters::Initialize.
constexpr acfIID IID_IAAXControllerV1 = { 0x7A6E0005, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x43, 0x54, 0x4C, 0x31 } };

class AAX_IACFController : public IACFUnknown
{
public:
    virtual ACFRESULT GetEffectID (char* buffer, int32_t bufferSize) = 0;
    virtual ACFRESULT GetSampleRate (AAX_CSampleRate* sampleRate) = 0;
    virtual ACFRESULT GetInputStemFormat (int32_t* stemFormat) = 0;
    virtual ACFRESULT GetOutputStemFormat (int32_t* stemFormat) = 0;
    virtual ACFRESULT GetSignalLatency (int32_t* samples) = 0;
    virtual ACFRESULT SetSignalLatency (int32_t samples) = 0;
    virtual ACFRESULT GetIsAudioSuite (AAX_CBoolean* isAudioSuite) = 0;
    // A data-in port's new packet; the host copies it into the field before the next callback.
    virtual ACFRESULT PostPacket (AAX_CFieldIndex field, const void* data, uint32_t size) = 0;
    // The effect-parameters object this controller belongs to (for the GUI).
    virtual AAX_IEffectParameters* GetEffectParameters() = 0;

protected:
    ~AAX_IACFController() = default;
};

// {automation} Optional: without it parameter changes apply at once inside the plug-in.
constexpr acfIID IID_IAAXAutomationDelegateV1 = { 0x7A6E0006, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x41, 0x55, 0x54, 0x31 } };

class AAX_IACFAutomationDelegate : public IACFUnknown
{
public:
    virtual ACFRESULT RegisterParameter (AAX_CParamID parameterID) = 0;
    virtual ACFRESULT UnregisterParameter (AAX_CParamID parameterID) = 0;
    // The host answers a request later with UpdateParameterNormalizedValue.
    virtual ACFRESULT PostSetValueRequest (AAX_CParamID parameterID, double normalizedValue) = 0;
    virtual ACFRESULT PostCurrentValue (AAX_CParamID parameterID, double normalizedValue) = 0;
    virtual ACFRESULT PostTouchRequest (AAX_CParamID parameterID) = 0;
    virtual ACFRESULT PostReleaseRequest (AAX_CParamID parameterID) = 0;

protected:
    ~AAX_IACFAutomationDelegate() = default;
};

// {view container} Given to AAX_CEffectGUI::SetViewContainer.
constexpr acfIID IID_IAAXViewContainerV1 = { 0x7A6E0007, 0x5354, 0x414E, { 0x44, 0x49, 0x4E, 0x2D, 0x56, 0x57, 0x43, 0x31 } };

class AAX_IACFViewContainer : public IACFUnknown
{
public:
    virtual int32_t GetType() = 0;          // AAX_EViewContainer_Type
    virtual void* GetPtr() = 0;             // the native parent window, if any
    virtual ACFRESULT GetModifiers (uint32_t* modifiers) = 0;
    virtual ACFRESULT SetViewSize (float vert, float horz) = 0;
    virtual ACFRESULT HandleParameterMouseDown (AAX_CParamID parameterID, uint32_t modifiers) = 0;
    virtual ACFRESULT HandleParameterMouseDrag (AAX_CParamID parameterID, uint32_t modifiers) = 0;
    virtual ACFRESULT HandleParameterMouseUp (AAX_CParamID parameterID, uint32_t modifiers) = 0;

protected:
    ~AAX_IACFViewContainer() = default;
};
