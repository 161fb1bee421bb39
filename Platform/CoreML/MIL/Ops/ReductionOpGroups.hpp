#pragma once
// The groups that make up the reduction family beside the reduce_* operations.

namespace platform::coreml::mil {

class OpRegistry;

void registerRankingOps(OpRegistry& registry); // reduce_argmax, reduce_argmin, topk, argsort
void registerCumsum(OpRegistry& registry);

} // namespace platform::coreml::mil
