// Writing and reading a document of one collection of N items: the time must grow with N, not faster.

#include "base/Streams.h"
#include "settings/ModXMLSerializer.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

class TBenchItem : public TCollectionItem {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::string Name;
    std::int32_t Value = 0;
    double Ratio = 0;
};

// clang-format off
const TClassInfo& TBenchItem::StaticClassInfo() {
    static const TClassInfo info = TPublished<TBenchItem>("TBenchItem", TCollectionItem::StaticClassInfo())
        .LString("Name", &TBenchItem::Name)
        .Integer("Value", &TBenchItem::Value)
        .Float("Ratio", &TBenchItem::Ratio);
    return info;
}
// clang-format on

class TBenchOwner : public TPersistent {
public:
    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassType() const override { return StaticClassInfo(); }

    std::unique_ptr<TCollection> Items = std::make_unique<TCollection>(TCollectionItemClass::Of<TBenchItem>());
};

const TClassInfo& TBenchOwner::StaticClassInfo() {
    static const TClassInfo info =
        TPublished<TBenchOwner>("TBenchOwner", TPersistent::StaticClassInfo()).Class("Items", &TBenchOwner::Items);
    return info;
}

std::unique_ptr<TBenchOwner> MakeOwner(std::int64_t count) {
    auto owner = std::make_unique<TBenchOwner>();
    for (std::int64_t i = 0; i < count; ++i) {
        auto& item = static_cast<TBenchItem&>(owner->Items->Add());
        item.Name = "item number " + std::to_string(i);
        item.Value = static_cast<std::int32_t>(i);
        item.Ratio = static_cast<double>(i) / 7;
    }
    return owner;
}

void BM_WriteCollection(benchmark::State& state) {
    const auto owner = MakeOwner(state.range(0));
    TXMLSerializer serializer;
    std::int64_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream stream;
        serializer.SaveObjectToStream(*owner, stream);
        bytes = stream.Size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetComplexityN(state.range(0));
}

void BM_ReadCollection(benchmark::State& state) {
    TMemoryStream document;
    TXMLSerializer serializer;
    serializer.SaveObjectToStream(*MakeOwner(state.range(0)), document);
    for (auto _ : state) {
        TBenchOwner owner;
        document.SetPosition(0);
        serializer.LoadObjectFromStream(owner, document);
        if (owner.Items->Count() != state.range(0)) {
            state.SkipWithError("items lost");
        }
        state.PauseTiming(); // the items' release is not the reader's work
        owner.Items->Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * document.Size());
    state.SetComplexityN(state.range(0));
}

/// Reads a document of `head`, N times `piece`, then `tail`; malformed pieces must not make each one
/// search the rest of the document. `itemsPerPiece`: the items each piece yields (-1: not checked).
void ReadRepeated(benchmark::State& state, const std::string& head, const std::string& piece, const std::string& tail,
                  bool ignoreUnknownTags, int itemsPerPiece) {
    std::string text = head;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        text += piece;
    }
    text += tail;
    TMemoryStream document;
    document.WriteBuffer(text);
    TXMLSerializer serializer;
    serializer.IgnoreUnknownTags = ignoreUnknownTags;
    for (auto _ : state) {
        TBenchOwner owner;
        document.SetPosition(0);
        serializer.LoadObjectFromStream(owner, document);
        if (itemsPerPiece >= 0 && owner.Items->Count() != itemsPerPiece * state.range(0)) {
            state.SkipWithError("items lost");
        }
    }
    state.SetBytesProcessed(state.iterations() * document.Size());
    state.SetComplexityN(state.range(0));
}

// The collection's element N times, each without items.
void BM_ReadEmptyCollections(benchmark::State& state) {
    ReadRepeated(state, "<TBenchOwner>", "<Items></Items>", "</TBenchOwner>", false, -1);
}

// N items that each hold text after their properties, read with unknown tags ignored.
void BM_ReadItemsWithStrayText(benchmark::State& state) {
    ReadRepeated(state, "<TBenchOwner><Items>", "<TBenchItem><Value>1</Value>x</TBenchItem>", "</Items></TBenchOwner>",
                 true, 1);
}

// N collection elements that each hold an item without its closing tag: each item is dropped.
void BM_ReadUnclosedItems(benchmark::State& state) {
    ReadRepeated(state, "<TBenchOwner>", "<Items><TBenchItem></Items>", "</TBenchOwner>", false, -1);
}

} // namespace

BENCHMARK(BM_WriteCollection)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_ReadCollection)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK(BM_ReadEmptyCollections)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK(BM_ReadItemsWithStrayText)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK(BM_ReadUnclosedItems)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

BENCHMARK_MAIN();
