#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/OpFamilies.hpp"
#include "Platform/CoreML/MIL/Ops/ShapeOpGroups.hpp"

namespace platform::coreml::mil {

void registerShapeOps(OpRegistry& registry) {
    shapeops::registerReshapeOps(registry);
    shapeops::registerRearrangeOps(registry);
    shapeops::registerConcatSplitOps(registry);
    shapeops::registerSliceOps(registry);
    shapeops::registerGatherOps(registry);
    shapeops::registerScatterOps(registry);
    shapeops::registerFillOps(registry);
    shapeops::registerPadOps(registry);
    shapeops::registerMaskOps(registry);
    shapeops::registerUpsampleOps(registry);
}

} // namespace platform::coreml::mil
