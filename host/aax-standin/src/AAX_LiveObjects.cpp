#include "AAX_LiveObjects.h"

#include <atomic>

namespace
{
std::atomic<int32_t> liveObjects { 0 };
}

void AAX::AddLiveObject() noexcept { ++liveObjects; }
void AAX::RemoveLiveObject() noexcept { --liveObjects; }
int32_t AAX::LiveObjects() noexcept { return liveObjects.load(); }
