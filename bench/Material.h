#pragma once

#include <string>
#include <vector>

// The benchmarks' generated stereo material, repeatable from run to run.
struct Material
{
    std::string name;
    std::vector<float> left, right;
};

// Every kind of material, `frames` long at `rate`, in a fixed order: program,
// sweep, pink bursts, drums, then the held-out kinds (high, middle and low
// sines at two levels, a sampled-like drum kit, speech-like material).
std::vector<Material> makeMaterials (int frames, double rate);

// The names makeMaterials gives, in its order.
std::vector<std::string> materialNames();
