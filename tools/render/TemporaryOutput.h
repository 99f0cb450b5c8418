#pragma once

#include <csignal>
#include <string>

// A new file beside its target that takes the target's place only when it is
// complete: removed if the program fails, returns early or is ended by a signal.
class TemporaryOutput
{
public:
    /** Creates the temporary file; throws FileError naming `name`. */
    TemporaryOutput (const std::string& target, const std::string& name);
    ~TemporaryOutput();
    TemporaryOutput (const TemporaryOutput&) = delete;
    TemporaryOutput& operator= (const TemporaryOutput&) = delete;

    /** Hands over the open descriptor, for writing; the caller closes it. */
    int takeDescriptor();
    /** The temporary file's path. */
    const std::string& getPath() const { return temp; }
    /** Moves the file over the target. Refuses a target that appeared
        meanwhile unless `replace`, and one that is no longer a regular file. */
    void commit (bool replace);

    /** Ends the program on the terminating signals, removing the temporary
        files first; a signal ignored at start stays ignored. Called by the
        constructor; callable earlier. */
    static void watchSignals();

    /** The most threads that may hold temporary files at once. */
    static constexpr int maximumThreads = 64;

    /** While one lives, the terminating signals wait on this thread; threads
        started meanwhile never take them. No signal comes between making a
        file and listing it, nor between renaming and unlisting it. */
    class SignalsHeld
    {
    public:
        SignalsHeld();
        ~SignalsHeld();
        SignalsHeld (const SignalsHeld&) = delete;
        SignalsHeld& operator= (const SignalsHeld&) = delete;

    private:
#if ! defined(_WIN32)
        sigset_t before {};
#endif
    };

private:
    std::string target, temp, name;
    int descriptor = -1;
    int slot = -1;
    bool committed = false;
};
