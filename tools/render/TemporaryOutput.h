#pragma once

#include <juce_core/juce_core.h>

// A new file beside its target that takes the target's place only when it is
// complete: removed if the program fails, returns early or is interrupted.
class TemporaryOutput
{
public:
    /** Creates the temporary file; throws RenderError naming `name`. */
    TemporaryOutput (const juce::File& target, const juce::String& name);
    ~TemporaryOutput();

    /** Opens the temporary file once more, for writing; the caller closes it. */
    int takeDescriptor();
    /** The temporary file's path. */
    juce::File getFile() const { return temp; }
    /** Moves the file over the target; refuses to replace a target that appeared meanwhile unless `replace`. */
    void commit (bool replace);

private:
    juce::File target, temp;
    juce::String name;
    int descriptor = -1;
    bool committed = false;
};
