#!/usr/bin/env python3
"""Which source files cmake/UnityBatches.py lets share a unity batch."""
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake"))
import UnityBatches  # noqa: E402


class UnityBatchesTests(unittest.TestCase):
    def batch_of(self, sources, size=8):
        """Writes the named sources and returns {name: batch number or None}."""
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for name, text in sources.items():
                path = os.path.join(folder, name)
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
                paths.append(path)
            assigned = {os.path.basename(path): batch for batch, path in UnityBatches.batches(paths, size)}
        return {name: assigned.get(name) for name in sources}

    def assertApart(self, sources):
        batches = self.batch_of(sources)
        first, second = batches.values()
        self.assertTrue(first is None or second is None or first != second, batches)

    def assertTogether(self, sources):
        batches = self.batch_of(sources)
        first, second = batches.values()
        self.assertIsNotNone(first, batches)
        self.assertEqual(first, second, batches)

    def test_files_declaring_the_same_name_never_share_a_batch(self):
        cases = {
            "anonymous function": ("namespace { double secondsSince(int start) { return 1; } }",
                                   "namespace { double secondsSince(long start) { return 2; } }"),
            "static function": ("static int helper() { return 1; }",
                                "namespace a { static int helper(double) { return 2; } }"),
            "constant": ("namespace { constexpr int limit = 3; }", "namespace { const long limit{4}; }"),
            "type": ("namespace { struct Row { int a; }; }", "namespace { class Row; }"),
            "enumerator": ("namespace { enum Colour { red, green }; }", "namespace { int red = 1; }"),
            "alias to another type": ("namespace { using Clock = std::chrono::steady_clock; }",
                                      "namespace { using Clock = std::chrono::system_clock; }"),
            "variable and function": ("namespace x { int counter; }", "namespace { int counter() { return 1; } }"),
        }
        for name, (first, second) in cases.items():
            with self.subTest(name):
                self.assertApart({"a.cpp": first, "b.cpp": second})

    def test_unrelated_files_share_a_batch(self):
        cases = {
            "different names": ("namespace { int one() { return 1; } }", "namespace { int two() { return 2; } }"),
            "the same alias": ("namespace fs = std::filesystem;\nusing Clock = std::chrono::steady_clock;",
                               "namespace fs = std::filesystem;\nusing Clock = std::chrono::steady_clock;"),
            "names inside bodies and classes": (
                "struct A { int value; void run(); };\nvoid A::run() { int local = value; }",
                "struct B { int value; };\nint f() { int local = 2; return local; }"),
            "constructor initialisers": ("A::A() : impl_(make()) {}", "B::B() : impl_{0} {}"),
            "names in strings and comments": ('namespace { const char* a = R"(int helper = 1;)"; } // int b;',
                                              "namespace { int helper2 = 1; /* int a; */ }"),
            "test macros": ("TEST(Suite, One) { int x = 1; }", "TEST(Suite, Two) { int x = 2; }"),
        }
        for name, (first, second) in cases.items():
            with self.subTest(name):
                self.assertTogether({"a.cpp": first, "b.cpp": second})

    def test_a_file_calling_a_name_never_meets_another_files_definition_of_it(self):
        # The call means a function from the caller's headers; beside the other
        # file's helper it would be ambiguous, or silently call the helper.
        self.assertApart({"a.cpp": "namespace { QLabel* symbolLabel(const char*, int) { return nullptr; } }",
                          "b.cpp": "void build() { add(symbolLabel(\"mic\", 28)); }"})
        self.assertApart({"a.cpp": "void build() { add(symbolLabel(\"mic\", 28)); }",
                          "b.cpp": "namespace { QLabel* symbolLabel(const char*, int) { return nullptr; } }"})
        self.assertTogether({"a.cpp": "void build() { label.symbolLabel(1); other->symbolLabel(2); }",
                             "b.cpp": "namespace { QLabel* symbolLabel(const char*, int) { return nullptr; } }"})

    def test_a_brought_in_name_must_mean_the_same_in_the_whole_batch(self):
        cases = {
            "qualifier of another meaning": ("void f() { Logging::debug(); }",
                                             "using pelluxcore::Logging;\nvoid g() { Logging::info(); }"),
            "another entity of that name": ("using a::Item;", "using b::Item;"),
            "a declaration of that name": ("namespace { int Item = 1; }", "using b::Item;"),
            "a namespace of that name": ("namespace hushframe::Logging { void f(); }",
                                         "namespace hushframe { using pelluxcore::Logging; }"),
        }
        for name, (first, second) in cases.items():
            with self.subTest(name):
                self.assertApart({"a.cpp": first, "b.cpp": second})
        self.assertTogether({"a.cpp": "using testing::HasSubstr;", "b.cpp": "using testing::HasSubstr;"})

    def test_using_directives_must_match_for_files_to_share_a_batch(self):
        self.assertApart({"a.cpp": "using namespace platform;\nint f();", "b.cpp": "int g();"})
        self.assertTogether({"a.cpp": "using namespace platform;\nint f();",
                             "b.cpp": "using namespace platform;\nint g();"})

    def test_macro_definitions_and_lone_files_compile_on_their_own(self):
        batches = self.batch_of({"a.cpp": "#define LIMIT 3\nint f();", "b.cpp": "int g();", "c.cpp": "int h();"})
        self.assertIsNone(batches["a.cpp"])
        self.assertEqual(batches["b.cpp"], batches["c.cpp"])
        self.assertIsNone(self.batch_of({"a.cpp": "int f();", "b.cpp": "namespace { int f(); }"})["a.cpp"])

    def test_batches_hold_at_most_the_batch_size(self):
        sources = {f"f{i}.cpp": f"int f{i}();" for i in range(7)}
        batches = self.batch_of(sources, size=3)
        counts = {}
        for batch in batches.values():
            counts[batch] = counts.get(batch, 0) + 1
        self.assertEqual(sorted(counts.values()), [1, 3, 3])
        self.assertEqual(list(batches.values())[:6], [0, 0, 0, 1, 1, 1])


if __name__ == "__main__":
    unittest.main()
