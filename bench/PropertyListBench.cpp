// Time to read a saved state as an XML property list: a dictionary of N keys
// (the shape of a unit's state grown large), reported per key so that a
// reader whose cost grows faster than its input shows as a rising "per_key".
#include <benchmark/benchmark.h>

#include <string>

#include "platform/corefoundation/CoreFoundation.h"

namespace {

std::string xmlDictionary(int64_t keys)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
    for (int64_t i = 0; i < keys; ++i)
        xml += "<key>parameter " + std::to_string(i) + "</key><real>0.5</real>";
    return xml + "</dict></plist>\n";
}

void BM_ReadXMLDictionary(benchmark::State& state)
{
    const std::string xml = xmlDictionary(state.range(0));
    CFDataRef data =
        CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), static_cast<CFIndex>(xml.size()));
    for (auto _ : state) {
        CFPropertyListRef list = CFPropertyListCreateWithData(nullptr, data, 0, nullptr, nullptr);
        if (list == nullptr) {
            state.SkipWithError("not read");
            break;
        }
        CFRelease(list);
    }
    CFRelease(data);
    state.counters["per_key"] =
        benchmark::Counter(static_cast<double>(state.range(0)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ReadXMLDictionary)->RangeMultiplier(8)->Range(64, 262144)->Unit(benchmark::kMillisecond);

} // namespace
