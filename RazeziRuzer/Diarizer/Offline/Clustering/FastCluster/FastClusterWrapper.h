#pragma once
/* Centroid-linkage clustering behind a plain C entry: the full dendrogram of
 * n points in d dimensions as a linkage matrix of n-1 rows (smaller id, larger
 * id, centroid distance, cluster size), in merge order. Keeps no global state;
 * the output is written only on success. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t fastcluster_wrapper_status;

enum {
    FASTCLUSTER_WRAPPER_SUCCESS = 0,
    FASTCLUSTER_WRAPPER_INVALID_ARGUMENT = 1,
    FASTCLUSTER_WRAPPER_SIZE_OVERFLOW = 2,
    FASTCLUSTER_WRAPPER_OUTPUT_TOO_SMALL = 3,
    FASTCLUSTER_WRAPPER_ALLOCATION_FAILED = 4,
    FASTCLUSTER_WRAPPER_COMPUTATION_FAILED = 5,
    FASTCLUSTER_WRAPPER_UNKNOWN_ERROR = 255
};

/* features: n*d doubles, point i at i*d..i*d+d-1; output: at least 4*(n-1). */
fastcluster_wrapper_status fastcluster_compute_centroid_linkage(const double* features, size_t n, size_t d,
                                                                double* output, size_t outputLength);

#ifdef __cplusplus
}
#endif
