// The settings file: parsing it, building its document and serialising it.
#include "config/xml_pars.h"
#include "config/xmlParser/xmlParser.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string default_text()
{
    CXML_PARS x;
    x.build_document();
    return x.doc.createXMLString(1);
}

void BM_ParseSettingsFile(benchmark::State& state)
{
    const std::string text = default_text();
    for (auto _ : state) {
        XMLNode top = XMLNode::parseString(text.data(), text.size());
        benchmark::DoNotOptimize(top);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseSettingsFile);

void BM_SerialiseSettingsDocument(benchmark::State& state)
{
    const std::string text = default_text();
    XMLNode top = XMLNode::parseString(text.data(), text.size());
    for (auto _ : state) {
        std::string out = top.createXMLString(1);
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SerialiseSettingsDocument);

} // namespace
