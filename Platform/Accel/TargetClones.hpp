#pragma once
// Marks a hot loop to be compiled for several processor generations, the best
// one chosen when the program loads. Under ThreadSanitizer the choice would run
// before the sanitizer's runtime starts and crash the program, so there the
// loop is compiled once for the baseline.

#if defined(__SANITIZE_THREAD__)
#define OSTREL_TARGET_CLONES(...)
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define OSTREL_TARGET_CLONES(...)
#endif
#endif

#ifndef OSTREL_TARGET_CLONES
#define OSTREL_TARGET_CLONES(...) __attribute__((target_clones(__VA_ARGS__)))
#endif
