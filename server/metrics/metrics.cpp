#include "metrics.h"

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include <atomic>

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
};

Metrics& metrics()
{
    static Metrics instance;
    return instance;
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
    const std::string code(operation);
    m.calls.Add({{"operation", code}, {"result", std::string(result)}}).Increment();
    m.latency.Add({{"operation", code}}, kBuckets).Observe(seconds);
}

void loginFailed()
{
    if (counting)
        metrics().loginFailures.Increment();
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
    return prometheus::TextSerializer().Serialize(m.registry.Collect());
}

} // namespace rsim::metrics
