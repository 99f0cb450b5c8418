#include "tools/render/BatchRenderer.h"

#include "tools/render/FileError.h"
#include "tools/render/FileRenderer.h"
#include "tools/render/ProgressBar.h"
#include "tools/render/RenderError.h"
#include "tools/render/TemporaryOutput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace
{
using Outcome = BatchRenderer::Outcome;

Outcome failure (const juce::String& message) { return { std::nullopt, message }; }

// One job from start to report; every failure becomes its message.
Outcome renderJob (const RenderOptions& options, const RenderJob& job, const std::vector<juce::File>& inputs,
                   const std::function<void (double)>& progress)
{
    try
    {
        FileRenderer renderer (options, job, inputs);
        return { renderer.run (progress), {} };
    }
    catch (const RenderError& e)
    {
        return failure (e.message);
    }
    catch (const FileError& e)
    {
        return failure (juce::String::fromUTF8 (e.message.c_str()));
    }
    catch (const std::exception& e)
    {
        return failure (job.inputName + ": " + e.what());
    }
}

// Two jobs that would write the same file: the later one is refused.
std::vector<bool> sharedOutputs (const RenderOptions& options)
{
    std::vector<bool> shared (options.jobs.size(), false);
    std::set<juce::String> outputs;
    for (size_t i = 0; i < options.jobs.size(); ++i)
        shared[i] = ! options.noOutput && ! outputs.insert (options.jobs[i].output.getFullPathName()).second;
    return shared;
}

// Outcomes handed from the workers to the thread that delivers them.
class OutcomeQueue
{
public:
    explicit OutcomeQueue (size_t count) :
        outcomes (count) {}

    void put (size_t index, Outcome outcome)
    {
        {
            const std::lock_guard<std::mutex> lock (mutex);
            outcomes[index] = std::move (outcome);
        }
        ready.notify_all();
    }

    // The outcome of `index`, waiting for it; `whileWaiting` runs about ten times a second meanwhile.
    Outcome take (size_t index, const std::function<void()>& whileWaiting)
    {
        std::unique_lock<std::mutex> lock (mutex);
        while (! ready.wait_for (lock, std::chrono::milliseconds (100), [&]
                                 { return outcomes[index].has_value(); }))
        {
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
        auto outcome = std::move (*outcomes[index]);
        outcomes[index].reset();
        return outcome;
    }

private:
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<Outcome>> outcomes;
};
} // namespace

void BatchRenderer::run (bool showProgress, const Delivery& deliver)
{
    const auto& jobs = options.jobs;
    const size_t count = jobs.size();
    if (count == 0)
        return;

    std::vector<juce::File> inputs;
    inputs.reserve (count);
    for (const auto& job : jobs)
        inputs.push_back (job.input);
    const auto shared = sharedOutputs (options);

    ProgressBar bar (count == 1 ? jobs[0].input.getFileName() : juce::String ((int) count) + " files", showProgress,
                     juce::Time::getMillisecondCounterHiRes());
    std::vector<std::atomic<double>> done (count);
    const auto overall = [&]
    {
        double sum = 0.0;
        for (const auto& d : done)
            sum += d.load (std::memory_order_relaxed);
        return sum / (double) count;
    };
    const size_t threads = std::min (count, (size_t) std::max (1, options.threads));

    const auto render = [&] (size_t i)
    {
        if (shared[i])
            return failure ("two inputs would both go to " + jobs[i].outputName + "; " + jobs[i].inputName + " not rendered");
        return renderJob (options, jobs[i], inputs, [&, i] (double fraction)
                          {
                              done[i].store (fraction, std::memory_order_relaxed);
                              if (threads == 1)
                                  bar.update (overall()); });
    };
    const auto hand = [&] (size_t i, const Outcome& outcome)
    {
        done[i].store (1.0, std::memory_order_relaxed);
        bar.wipe();
        deliver (jobs[i], outcome);
    };

    if (threads == 1)
    {
        for (size_t i = 0; i < count; ++i)
            hand (i, render (i));
        return;
    }

    OutcomeQueue queue (count);
    std::atomic<size_t> next { 0 };
    std::vector<std::thread> workers;
    {
        // Workers never take a terminating signal: this thread does, and
        // removes every worker's temporary files before the program ends.
        const TemporaryOutput::SignalsHeld held;
        for (size_t t = 0; t < threads; ++t)
            workers.emplace_back ([&]
                                  {
                                      for (size_t i; (i = next.fetch_add (1)) < count;)
                                          queue.put (i, render (i)); });
    }
    for (size_t i = 0; i < count; ++i)
        hand (i, queue.take (i, [&]
                             { bar.update (overall()); }));
    for (auto& w : workers)
        w.join();
}
