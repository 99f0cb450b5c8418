// Renders the plug-in window to PNG files, as a user would see it:
//   window.png         Enable on, Level -0.1 dB
//   window-off.png     Enable off
//   window-update.png  Enable on with the update badge showing
// or, with --scale S, only window@Sx.png: the first at S physical pixels per
// logical pixel, as a scaled screen shows it.
// Usage: tolvo-snapshot [--scale S] [output directory]   (default: docs)

#include "editor/TolvoAudioProcessorEditor.h"
#include "editor/UpdateCheck.h"

#include <cmath>
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

    juce::Image render (bool showBadge, float scale = 1.0f)
    {
        timerCallback();
        noticeButton.setVisible (showBadge);
        return createComponentSnapshot (getLocalBounds(), true, scale);
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
    float scale = 1.0f;
    juce::String folder ("docs");
    bool understood = true;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if (arg == "--scale" && i + 1 < argc)
            scale = juce::String (argv[++i]).getFloatValue();
        else if (! arg.startsWith ("-"))
            folder = arg;
        else
            understood = false;
    }

    if (! understood || ! (scale > 0.0f && scale <= 8.0f))
    {
        std::cerr << "usage: tolvo-snapshot [--scale S] [DIR]   (S above 0, up to 8)\n";
        return 2;
    }

    const auto directory = juce::File::getCurrentWorkingDirectory().getChildFile (folder);

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

            if (! juce::approximatelyEqual (scale, 1.0f))
            {
                const auto name = std::floor (scale) == scale ? juce::String ((int) scale) : juce::String (scale);

                if (! writePng (editor.render (false, scale), directory.getChildFile ("window@" + name + "x.png")))
                    result = 1;
            }
            else
            {
                if (! writePng (editor.render (false), directory.getChildFile ("window.png")))
                    result = 1;

                if (! writePng (editor.render (true), directory.getChildFile ("window-update.png")))
                    result = 1;

                processor.enableParam->setValueNotifyingHost (0.0f);

                if (! writePng (editor.render (false), directory.getChildFile ("window-off.png")))
                    result = 1;
            }
        }

        for (int i = 0; i < 500 && UpdateCheck::numRunning() > 0; ++i)
            juce::Thread::sleep (10);
    }

    return result;
}
