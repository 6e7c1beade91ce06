#include "metrics.h"

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include <array>
#include <atomic>
#include <mutex>
#include <unordered_map>

namespace rsim::metrics {
namespace {

using prometheus::BuildCounter;
using prometheus::BuildGauge;
using prometheus::BuildHistogram;

std::atomic<bool> counting{true};

// From a small query (a few milliseconds) to a batch of a million cards (minutes).
const prometheus::Histogram::BucketBoundaries kBuckets{
    0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10, 30, 60, 120};

prometheus::Gauge& single(prometheus::Registry& registry, const char* name, const char* help)
{
    return BuildGauge().Name(name).Help(help).Register(registry).Add({});
}

// The children of one operation's families, found once: a family finds a child by building and
// comparing its whole label set, which cost more than the rest of a call's counting.
struct OperationCounts {
    prometheus::Histogram* latency = nullptr;
    std::array<std::pair<std::string, prometheus::Counter*>, 4> calls{}; // by result, as counted
};

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        return std::hash<std::string_view>{}(text);
    }
};

struct Metrics {
    prometheus::Registry registry;
    prometheus::Family<prometheus::Counter>& calls =
        BuildCounter().Name("rsimd_calls_total").Help("Calls answered").Register(registry);
    prometheus::Family<prometheus::Histogram>& latency =
        BuildHistogram()
            .Name("rsimd_call_duration_seconds")
            .Help("Time from a call's whole request to its answer")
            .Register(registry);
    prometheus::Counter& loginFailures = BuildCounter()
                                             .Name("rsimd_login_failures_total")
                                             .Help("Logins refused")
                                             .Register(registry)
                                             .Add({});
    prometheus::Counter& namesLimited =
        BuildCounter()
            .Name("rsimd_login_names_limited_total")
            .Help("Login names whose failures from all addresses passed their limit")
            .Register(registry)
            .Add({});
    prometheus::Counter& sealedReads = BuildCounter()
                                           .Name("rsimd_sealed_value_reads_total")
                                           .Help("Sealed values opened")
                                           .Register(registry)
                                           .Add({});
    prometheus::Family<prometheus::Gauge>& connections =
        BuildGauge()
            .Name("rsimd_database_connections")
            .Help("Pooled database connections in use, and callers waiting for one")
            .Register(registry);
    prometheus::Gauge& connectionsInUse = connections.Add({{"state", "in_use"}});
    prometheus::Gauge& connectionsWaited = connections.Add({{"state", "waiting"}});
    prometheus::Gauge& inFlight =
        single(registry, "rsimd_requests_in_flight", "Requests being read or handled");
    prometheus::Gauge& bodyBytes =
        single(registry, "rsimd_request_body_bytes_held", "Bytes of request bodies spooled");
    prometheus::Gauge& liveSessions = single(registry, "rsimd_sessions_live", "Live sessions");
    prometheus::Gauge& storageFull =
        single(registry, "rsimd_storage_full",
               "1 while writes are refused because the database's storage is full");
    // Operation codes and results are bounded (labels take no other values), so this is too.
    std::mutex countsMutex;
    std::unordered_map<std::string, OperationCounts, TextHash, std::equal_to<>> countsByOperation;
};

Metrics& metrics()
{
    static Metrics instance;
    return instance;
}

prometheus::Counter& callsCounter(OperationCounts& counts, const std::string& operation,
                                  std::string_view result)
{
    for (auto& [name, counter] : counts.calls) {
        if (counter == nullptr) {
            name = result;
            counter = &metrics().calls.Add({{"operation", operation}, {"result", name}});
        }
        if (name == result)
            return *counter;
    }
    throw std::logic_error("more results than a call has: " + std::string(result));
}

} // namespace

void disable()
{
    counting = false;
}

bool enabled()
{
    return counting;
}

void callAnswered(std::string_view operation, std::string_view result, double seconds)
{
    if (!counting)
        return;
    Metrics& m = metrics();
    const std::lock_guard lock(m.countsMutex);
    auto found = m.countsByOperation.find(operation);
    if (found == m.countsByOperation.end()) {
        const std::string code(operation);
        auto& latency = m.latency.Add({{"operation", code}}, kBuckets);
        found = m.countsByOperation.emplace(code, OperationCounts{&latency}).first;
    }
    callsCounter(found->second, found->first, result).Increment();
    found->second.latency->Observe(seconds);
}

void loginFailed()
{
    if (counting)
        metrics().loginFailures.Increment();
}

void loginNameLimited()
{
    if (counting)
        metrics().namesLimited.Increment();
}

void sealedValueRead()
{
    if (counting)
        metrics().sealedReads.Increment();
}

std::string text(const Gauges& gauges)
{
    Metrics& m = metrics();
    m.connectionsInUse.Set(static_cast<double>(gauges.connectionsInUse));
    m.connectionsWaited.Set(static_cast<double>(gauges.connectionsWaited));
    m.inFlight.Set(static_cast<double>(gauges.requestsInFlight));
    m.bodyBytes.Set(static_cast<double>(gauges.bodyBytesHeld));
    if (gauges.liveSessions)
        m.liveSessions.Set(static_cast<double>(*gauges.liveSessions));
    m.storageFull.Set(gauges.storageFull ? 1 : 0);
    return prometheus::TextSerializer().Serialize(m.registry.Collect());
}

} // namespace rsim::metrics
