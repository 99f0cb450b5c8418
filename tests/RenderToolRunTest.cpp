#include "RenderToolSupport.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// A child running tolvo-render, its stdout and stderr on a pseudo-terminal or
// on a pipe, held still for a moment once it has begun to render so that the
// job takes well over a second however fast the machine is.
struct Captured
{
    int exitCode = -1;
    std::string output;
};

Captured runHeld (const juce::StringArray& args, bool terminal, const juce::File& folder)
{
    std::vector<std::string> storage;
    auto argv = makeArgv (storage, TOLVO_RENDER_PATH, args);

    int fd = -1;
    pid_t pid = -1;
    if (terminal)
    {
        pid = ::forkpty (&fd, nullptr, nullptr, nullptr);
    }
    else
    {
        int p[2];
        if (::pipe (p) != 0)
            return {};
        pid = ::fork();
        if (pid == 0)
        {
            ::dup2 (p[1], 1);
            ::dup2 (p[1], 2);
        }
        ::close (p[1]);
        fd = p[0];
    }
    if (pid == 0)
    {
        ::execv (argv[0], argv.data());
        ::_exit (127);
    }

    Captured c;
    bool held = false;
    for (;;)
    {
        // The temporary output beside the target means the job has begun.
        if (! held && folder.getNumberOfChildFiles (juce::File::findFiles, ".*.tolvo-*") > 0)
        {
            ::kill (pid, SIGSTOP);
            ::usleep (1300 * 1000);
            ::kill (pid, SIGCONT);
            held = true;
        }
        pollfd p { fd, POLLIN, 0 };
        if (::poll (&p, 1, 1) <= 0)
            continue;
        char buffer[4096];
        const auto n = ::read (fd, buffer, sizeof (buffer));
        if (n <= 0)
            break; // EOF, or EIO once the terminal's last writer has gone
        c.output.append (buffer, (size_t) n);
    }
    ::close (fd);

    int status = 0;
    if (::waitpid (pid, &status, 0) == pid && WIFEXITED (status))
        c.exitCode = WEXITSTATUS (status);
    return c;
}
} // namespace

TEST_F (RenderToolTest, ProgressBarOnlyOnATerminalAndNotWithQuiet)
{
    const auto in = file ("long-program.wav");
    writeAudio (in, programSignal (2, 10 * 48000, 1.5f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto outDir = file ("out");
    ASSERT_TRUE (outDir.createDirectory());
    const auto out = outDir.getChildFile ("o.wav").getFullPathName();

    const auto onTerminal = runHeld ({ in.getFullPathName(), out }, true, outDir);
    EXPECT_EQ (onTerminal.exitCode, 0) << onTerminal.output;
    EXPECT_NE (onTerminal.output.find ("\rlong-program.wav ["), std::string::npos) << onTerminal.output;
    EXPECT_NE (onTerminal.output.find ("% "), std::string::npos);
    EXPECT_NE (onTerminal.output.find (" s left"), std::string::npos);
    EXPECT_NE (onTerminal.output.find ("\r\033[K"), std::string::npos); // wiped at the end
    EXPECT_NE (onTerminal.output.find ("true peak"), std::string::npos);

    const auto onPipe = runHeld ({ "--force", in.getFullPathName(), out }, false, outDir);
    EXPECT_EQ (onPipe.exitCode, 0);
    EXPECT_EQ (onPipe.output.find ("s left"), std::string::npos) << onPipe.output;
    EXPECT_EQ (onPipe.output.find ('\r'), std::string::npos);
    EXPECT_NE (onPipe.output.find ("true peak"), std::string::npos);

    const auto quiet = runHeld ({ "-q", "--force", in.getFullPathName(), out }, true, outDir);
    EXPECT_EQ (quiet.exitCode, 0);
    EXPECT_EQ (quiet.output, "");
}

TEST_F (RenderToolTest, SignalsEndTheRunWithoutATraceUnlessIgnoredAtStart)
{
    const auto in = file ("long.wav");
    writeAudio (in, programSignal (2, 10 * 48000, 1.5f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const auto outDir = file ("out");
    ASSERT_TRUE (outDir.createDirectory());
    const std::string render = TOLVO_RENDER_PATH, input = in.getFullPathName().toStdString(),
                      output = outDir.getChildFile ("o.wav").getFullPathName().toStdString();

    // The signal, and whether it was ignored when the tool started (nohup).
    const std::pair<int, bool> cases[] = { { SIGINT, false }, { SIGTERM, false }, { SIGHUP, false }, { SIGQUIT, false }, { SIGUSR1, false }, { SIGALRM, false }, { SIGHUP, true }, { SIGINT, true } };
    for (const auto& [signal, ignored] : cases)
    {
        const pid_t pid = ::fork();
        if (pid == 0)
        {
            const rlimit noCore {};
            ::setrlimit (RLIMIT_CORE, &noCore);
            if (ignored)
                std::signal (signal, SIG_IGN);
            ::execl (render.c_str(), render.c_str(), "-q", "--force", input.c_str(), output.c_str(), (char*) nullptr);
            ::_exit (127);
        }

        while (outDir.getNumberOfChildFiles (juce::File::findFiles, ".*.tolvo-*") == 0)
            ::usleep (1000);
        ::kill (pid, SIGSTOP); // mid-write, however fast the machine
        ::kill (pid, signal);
        ::kill (pid, SIGCONT);

        int status = 0;
        ASSERT_EQ (::waitpid (pid, &status, 0), pid);
        if (ignored)
        {
            EXPECT_TRUE (WIFEXITED (status) && WEXITSTATUS (status) == 0) << signal;
            EXPECT_EQ (outDir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << signal;
            outDir.getChildFile ("o.wav").deleteFile();
        }
        else
        {
            EXPECT_TRUE (WIFSIGNALED (status) && WTERMSIG (status) == signal) << signal;
            EXPECT_EQ (outDir.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0) << signal;
        }
    }
}

TEST_F (RenderToolTest, BatchRendersEveryFileWhenTheReportsReaderGoesAway)
{
    juce::StringArray args;
    for (const auto* name : { "a.wav", "b.wav", "c.wav", "d.wav", "e.wav", "f.wav" })
    {
        writeAudio (file (name), programSignal (1, 2000, 1.2f), 48000.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        args.add (file (name).getFullPathName());
    }
    args.addArray ({ "-o", file ("out").getFullPathName() });

    std::vector<std::string> storage;
    auto argv = makeArgv (storage, TOLVO_RENDER_PATH, args);

    int p[2];
    ASSERT_EQ (::pipe (p), 0);
    const pid_t pid = ::fork();
    if (pid == 0)
    {
        std::signal (SIGPIPE, SIG_DFL); // as a shell starts it
        ::dup2 (p[1], 1);
        ::close (p[0]);
        const int null = ::open ("/dev/null", O_WRONLY);
        ::dup2 (null, 2);
        ::execv (argv[0], argv.data());
        ::_exit (127);
    }
    ::close (p[1]);
    ::close (p[0]); // like `| head -0`: the reader is gone before the first line

    int status = 0;
    ASSERT_EQ (::waitpid (pid, &status, 0), pid);
    EXPECT_TRUE (WIFEXITED (status)) << "ended by signal " << WTERMSIG (status);
    EXPECT_EQ (file ("out").getNumberOfChildFiles (juce::File::findFiles), 6);
}
