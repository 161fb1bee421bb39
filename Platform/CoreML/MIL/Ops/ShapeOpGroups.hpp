#pragma once
// The groups of the shape and indexing family; registerShapeOps adds them all.

namespace platform::coreml::mil {
class OpRegistry;
}

namespace platform::coreml::mil::shapeops {

void registerReshapeOps(OpRegistry& registry);     // reshape, expand_dims, squeeze, flatten2d, reshape_like, shape
void registerRearrangeOps(OpRegistry& registry);   // transpose, tile, reverse, reverse_sequence, depth/space, pixel shuffles
void registerConcatSplitOps(OpRegistry& registry); // concat, stack, split
void registerSliceOps(OpRegistry& registry);       // slice_by_index, slice_by_size, slice_update, sliding_windows
void registerGatherOps(OpRegistry& registry);      // gather, gather_along_axis, gather_nd
void registerScatterOps(OpRegistry& registry);     // scatter, scatter_along_axis, scatter_nd
void registerFillOps(OpRegistry& registry);        // fill, fill_like, range_1d, one_hot
void registerPadOps(OpRegistry& registry);         // pad
void registerMaskOps(OpRegistry& registry);        // band_part, non_zero
void registerUpsampleOps(OpRegistry& registry);    // upsample_nearest_neighbor, upsample_bilinear

} // namespace platform::coreml::mil::shapeops
