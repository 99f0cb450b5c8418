// Renders the plug-in window to PNG files, as a user would see it:
//   window.png         Enable on, Level -0.1 dB
//   window-off.png     Enable off
//   window-update.png  Enable on with the update badge showing
// Usage: tolvo-snapshot [output directory]   (default: docs)

#include "editor/TolvoAudioProcessorEditor.h"
#include "editor/UpdateCheck.h"

#include <iostream>

namespace
{
// Port 9 on the loopback refuses at once: no network for a picture.
class SnapshotEditor : public TolvoAudioProcessorEditor
{
public:
    explicit SnapshotEditor (TolvoAudioProcessor& p) :
        TolvoAudioProcessorEditor (p, "http://127.0.0.1:9", "en-US")
    {
        stopTimer();
    }

    juce::Image render (bool showBadge)
    {
        timerCallback();
        noticeButton.setVisible (showBadge);
        return createComponentSnapshot (getLocalBounds(), true, 1.0f);
    }
};

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;

    if (! out.openedOk() || ! png.writeImageToStream (image, out))
    {
        std::cerr << "tolvo-snapshot: cannot write " << file.getFullPathName() << "\n";
        return false;
    }

    std::cout << file.getFullPathName() << "\n";
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    const auto directory = juce::File::getCurrentWorkingDirectory()
                               .getChildFile (argc > 1 ? juce::String (argv[1]) : juce::String ("docs"));

    if (! directory.createDirectory())
    {
        std::cerr << "tolvo-snapshot: cannot create " << directory.getFullPathName() << "\n";
        return 1;
    }

    int result = 0;

    {
        juce::ScopedJuceInitialiser_GUI gui;

        {
            TolvoAudioProcessor processor;
            SnapshotEditor editor (processor);

            processor.enableParam->setValueNotifyingHost (1.0f);
            processor.levelParam->setValueNotifyingHost (processor.levelParam->convertTo0to1 (-0.1f));

            if (! writePng (editor.render (false), directory.getChildFile ("window.png")))
                result = 1;

            if (! writePng (editor.render (true), directory.getChildFile ("window-update.png")))
                result = 1;

            processor.enableParam->setValueNotifyingHost (0.0f);

            if (! writePng (editor.render (false), directory.getChildFile ("window-off.png")))
                result = 1;
        }

        for (int i = 0; i < 500 && UpdateCheck::numRunning() > 0; ++i)
            juce::Thread::sleep (10);
    }

    return result;
}
