#include "Platform/CoreML/MIL/OpRegistry.hpp"
#include "Platform/CoreML/MIL/Ops/Broadcasting.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseOpGroups.hpp"
#include "Platform/CoreML/MIL/Ops/ElementwiseSupport.hpp"

#include <algorithm>
#include <cmath>
#include <string>

namespace platform::coreml::mil {
namespace {

enum class Arithmetic { add, sub, mul, realDiv, floorDiv, mod, pow, maximum, minimum };
enum class Comparison { equal, notEqual, less, lessEqual, greater, greaterEqual };
enum class Logic { conjunction, disjunction, exclusive };

Broadcast planFor(const OpCall& call, std::span<const Shape> shapes) {
    auto plan = Broadcast::of(shapes);
    if (!plan) {
        std::string described;
        for (const auto& shape : shapes) {
            described += (described.empty() ? "" : " and ") + describeShape(shape);
        }
        call.fail("the shapes " + described + " do not broadcast");
    }
    return *plan;
}

// out = f(a, b) over the broadcast result, with the common run layouts
// (both contiguous, one repeated) spelled out so they vectorise.
template <class Out, class A, class B, class F>
void mapBroadcast(const Broadcast& plan, std::span<const A> a, std::span<const B> b, std::span<Out> out, F f) {
    parallelFor(plan.count(), elementwiseGrain, [&](std::int64_t begin, std::int64_t end) {
        plan.forEachRun(begin, end, [&](std::int64_t index, std::int64_t length, auto offsets, auto steps) {
            const A* pa = a.data() + offsets[0];
            const B* pb = b.data() + offsets[1];
            Out* po = out.data() + index;
            if (steps[0] == 1 && steps[1] == 1) {
                for (std::int64_t j = 0; j < length; ++j) po[j] = f(pa[j], pb[j]);
            } else if (steps[0] == 1 && steps[1] == 0) {
                const B vb = *pb;
                for (std::int64_t j = 0; j < length; ++j) po[j] = f(pa[j], vb);
            } else if (steps[0] == 0 && steps[1] == 1) {
                const A va = *pa;
                for (std::int64_t j = 0; j < length; ++j) po[j] = f(va, pb[j]);
            } else {
                for (std::int64_t j = 0; j < length; ++j) po[j] = f(pa[j * steps[0]], pb[j * steps[1]]);
            }
        });
    });
}

float floatMaximum(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) ? a : b;
    }
    return std::max(a, b);
}

float floatMinimum(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) ? a : b;
    }
    return std::min(a, b);
}

// The remainder takes the divisor's sign.
float floatMod(float a, float b) {
    auto r = std::fmod(a, b);
    if (r != 0 && ((r < 0) != (b < 0))) {
        r += b;
    }
    return r == 0 ? std::copysign(0.0f, b) : r;
}

// Wraps on overflow, as 32-bit integer arithmetic does.
std::int32_t wrapped(std::int64_t value) { return static_cast<std::int32_t>(value); }

std::int32_t intPow(std::int32_t base, std::int32_t exponent) {
    std::uint32_t result = 1;
    auto factor = static_cast<std::uint32_t>(base);
    for (auto e = static_cast<std::uint32_t>(exponent); e != 0; e >>= 1) {
        if ((e & 1u) != 0) {
            result *= factor;
        }
        factor *= factor;
    }
    return static_cast<std::int32_t>(result);
}

Tensor floatArithmetic(Arithmetic op, const Broadcast& plan, const Tensor& x, const Tensor& y) {
    const auto a = asFloats(x);
    const auto b = asFloats(y);
    Tensor out(DataType::fp32, plan.shape(), Tensor::Unfilled{});
    const auto run = [&](auto f) { mapBroadcast(plan, a.floatValues(), b.floatValues(), out.mutableFloatValues(), f); };
    switch (op) {
    case Arithmetic::add: run([](float p, float q) { return p + q; }); break;
    case Arithmetic::sub: run([](float p, float q) { return p - q; }); break;
    case Arithmetic::mul: run([](float p, float q) { return p * q; }); break;
    case Arithmetic::realDiv: run([](float p, float q) { return p / q; }); break;
    case Arithmetic::floorDiv: run([](float p, float q) { return std::floor(p / q); }); break;
    case Arithmetic::mod: run(floatMod); break;
    case Arithmetic::pow: run([](float p, float q) { return std::pow(p, q); }); break;
    case Arithmetic::maximum: run(floatMaximum); break;
    case Arithmetic::minimum: run(floatMinimum); break;
    }
    return out;
}

void checkIntOperands(const OpCall& call, Arithmetic op, const Broadcast& plan, std::span<const std::int32_t> right) {
    if (plan.count() == 0) {
        return;
    }
    const bool divides = op == Arithmetic::realDiv || op == Arithmetic::floorDiv || op == Arithmetic::mod;
    if (divides && std::ranges::find(right, 0) != right.end()) {
        call.fail("integer division by zero");
    }
    if (op == Arithmetic::pow && std::ranges::any_of(right, [](auto e) { return e < 0; })) {
        call.fail("integers cannot be raised to negative powers");
    }
}

Tensor intArithmetic(const OpCall& call, Arithmetic op, const Broadcast& plan, const Tensor& x, const Tensor& y) {
    const auto a = asInts(x);
    const auto b = asInts(y);
    checkIntOperands(call, op, plan, b.intValues());
    Tensor out(DataType::int32, plan.shape());
    const auto run = [&](auto f) { mapBroadcast(plan, a.intValues(), b.intValues(), out.mutableIntValues(), f); };
    using I = std::int64_t;
    switch (op) {
    case Arithmetic::add: run([](I p, I q) { return wrapped(p + q); }); break;
    case Arithmetic::sub: run([](I p, I q) { return wrapped(p - q); }); break;
    case Arithmetic::mul: run([](I p, I q) { return wrapped(p * q); }); break;
    case Arithmetic::realDiv: run([](I p, I q) { return wrapped(p / q); }); break;
    case Arithmetic::floorDiv:
        run([](I p, I q) { return wrapped(p / q - ((p % q != 0 && ((p < 0) != (q < 0))) ? 1 : 0)); });
        break;
    case Arithmetic::mod:
        run([](I p, I q) {
            const auto r = p % q;
            return wrapped(r != 0 && ((r < 0) != (q < 0)) ? r + q : r);
        });
        break;
    case Arithmetic::pow: run(intPow); break;
    case Arithmetic::maximum: run([](std::int32_t p, std::int32_t q) { return std::max(p, q); }); break;
    case Arithmetic::minimum: run([](std::int32_t p, std::int32_t q) { return std::min(p, q); }); break;
    }
    return labelled(call, 0, std::move(out));
}

std::vector<Tensor> arithmetic(const OpCall& call, Arithmetic op) {
    const auto& x = numericInput(call, "x");
    const auto& y = numericInput(call, "y");
    const Shape shapes[] = {x.shape(), y.shape()};
    const auto plan = planFor(call, shapes);
    bool inFloat = x.kind() == StorageKind::float32 || y.kind() == StorageKind::float32;
    // Dividing integers gives a real number unless the program declares an integer result.
    if (op == Arithmetic::realDiv && !isInteger(call.resultDataType(0, DataType::fp32))) {
        inFloat = true;
    }
    return {inFloat ? floatArithmetic(op, plan, x, y) : intArithmetic(call, op, plan, x, y)};
}

template <class T>
void compareAll(Comparison op, const Broadcast& plan, std::span<const T> a, std::span<const T> b, std::span<std::uint8_t> out) {
    const auto run = [&](auto f) { mapBroadcast(plan, a, b, out, f); };
    switch (op) {
    case Comparison::equal: run([](T p, T q) -> std::uint8_t { return p == q; }); break;
    case Comparison::notEqual: run([](T p, T q) -> std::uint8_t { return p != q; }); break;
    case Comparison::less: run([](T p, T q) -> std::uint8_t { return p < q; }); break;
    case Comparison::lessEqual: run([](T p, T q) -> std::uint8_t { return p <= q; }); break;
    case Comparison::greater: run([](T p, T q) -> std::uint8_t { return p > q; }); break;
    case Comparison::greaterEqual: run([](T p, T q) -> std::uint8_t { return p >= q; }); break;
    }
}

std::vector<Tensor> comparison(const OpCall& call, Comparison op) {
    const auto& x = numericInput(call, "x");
    const auto& y = numericInput(call, "y");
    const Shape shapes[] = {x.shape(), y.shape()};
    const auto plan = planFor(call, shapes);
    Tensor out(DataType::boolean, plan.shape());
    if (x.kind() == StorageKind::float32 || y.kind() == StorageKind::float32) {
        compareAll(op, plan, asFloats(x).floatValues(), asFloats(y).floatValues(), out.mutableBoolValues());
    } else {
        compareAll(op, plan, asInts(x).intValues(), asInts(y).intValues(), out.mutableBoolValues());
    }
    return {std::move(out)};
}

std::vector<Tensor> logic(const OpCall& call, Logic op) {
    const auto x = asBools(numericInput(call, "x"));
    const auto y = asBools(numericInput(call, "y"));
    const Shape shapes[] = {x.shape(), y.shape()};
    const auto plan = planFor(call, shapes);
    Tensor out(DataType::boolean, plan.shape());
    const auto run = [&](auto f) { mapBroadcast(plan, x.boolValues(), y.boolValues(), out.mutableBoolValues(), f); };
    using B = std::uint8_t;
    switch (op) {
    case Logic::conjunction: run([](B p, B q) -> B { return p & q; }); break;
    case Logic::disjunction: run([](B p, B q) -> B { return p | q; }); break;
    case Logic::exclusive: run([](B p, B q) -> B { return p ^ q; }); break;
    }
    return {std::move(out)};
}

template <class T>
void selectAll(const Broadcast& plan, std::span<const std::uint8_t> cond, std::span<const T> a, std::span<const T> b,
               std::span<T> out) {
    parallelFor(plan.count(), elementwiseGrain, [&](std::int64_t begin, std::int64_t end) {
        plan.forEachRun(begin, end, [&](std::int64_t index, std::int64_t length, auto offsets, auto steps) {
            for (std::int64_t j = 0; j < length; ++j) {
                const auto chosen = cond[static_cast<std::size_t>(offsets[0] + j * steps[0])] != 0
                                        ? a[static_cast<std::size_t>(offsets[1] + j * steps[1])]
                                        : b[static_cast<std::size_t>(offsets[2] + j * steps[2])];
                out[static_cast<std::size_t>(index + j)] = chosen;
            }
        });
    });
}

std::vector<Tensor> select(const OpCall& call) {
    const auto cond = asBools(numericInput(call, "cond"));
    const auto& a = numericInput(call, "a");
    const auto& b = numericInput(call, "b");
    const Shape shapes[] = {cond.shape(), a.shape(), b.shape()};
    const auto plan = planFor(call, shapes);
    const auto kind = a.kind() == StorageKind::float32 || b.kind() == StorageKind::float32 ? StorageKind::float32
                      : a.kind() == StorageKind::boolean && b.kind() == StorageKind::boolean ? StorageKind::boolean
                                                                                              : StorageKind::int32;
    switch (kind) {
    case StorageKind::float32: {
        Tensor out(DataType::fp32, plan.shape());
        selectAll(plan, cond.boolValues(), asFloats(a).floatValues(), asFloats(b).floatValues(), out.mutableFloatValues());
        return {std::move(out)};
    }
    case StorageKind::boolean: {
        Tensor out(DataType::boolean, plan.shape());
        selectAll(plan, cond.boolValues(), a.boolValues(), b.boolValues(), out.mutableBoolValues());
        return {std::move(out)};
    }
    default: {
        Tensor out(DataType::int32, plan.shape());
        selectAll(plan, cond.boolValues(), asInts(a).intValues(), asInts(b).intValues(), out.mutableIntValues());
        return {labelled(call, 0, std::move(out))};
    }
    }
}

} // namespace

void registerBinaryOps(OpRegistry& registry) {
    const std::pair<const char*, Arithmetic> arithmeticOps[] = {
        {"add", Arithmetic::add},           {"sub", Arithmetic::sub},         {"mul", Arithmetic::mul},
        {"real_div", Arithmetic::realDiv},  {"floor_div", Arithmetic::floorDiv}, {"mod", Arithmetic::mod},
        {"pow", Arithmetic::pow},           {"maximum", Arithmetic::maximum}, {"minimum", Arithmetic::minimum},
    };
    for (const auto& [name, op] : arithmeticOps) {
        registry.add(name, {[op = op](const OpCall& call) { return arithmetic(call, op); }, {"x", "y"}});
    }
    const std::pair<const char*, Comparison> comparisonOps[] = {
        {"equal", Comparison::equal}, {"not_equal", Comparison::notEqual},   {"less", Comparison::less},
        {"less_equal", Comparison::lessEqual}, {"greater", Comparison::greater}, {"greater_equal", Comparison::greaterEqual},
    };
    for (const auto& [name, op] : comparisonOps) {
        registry.add(name, {[op = op](const OpCall& call) { return comparison(call, op); }, {"x", "y"}});
    }
    const std::pair<const char*, Logic> logicOps[] = {
        {"logical_and", Logic::conjunction}, {"logical_or", Logic::disjunction}, {"logical_xor", Logic::exclusive}};
    for (const auto& [name, op] : logicOps) {
        registry.add(name, {[op = op](const OpCall& call) { return logic(call, op); }, {"x", "y"}});
    }
    registry.add("select", {select, {"cond", "a", "b"}});
}

} // namespace platform::coreml::mil
