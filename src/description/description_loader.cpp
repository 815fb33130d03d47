#include "description/description_loader.h"

#include "description/description_parser.h"
#include "description/description_texts.h"
#include "description/packed_storage.h"
#include "model/model_texts.h"
#include "model/text.h"
#include "platform/shell.h"

namespace zr740 {
namespace {

void loader_message(Shell& shell, std::string_view text)
{
    shell.message(std::string(text), std::string(texts::app_title), Icon::stop, Owner::none);
}

// Scanned parameters are polled one by one: each gets its own channel, its linear index, and stops
// counting as indexed.
void prepare_for_polling(DescBranch& scanners)
{
    scanners.for_each_parameter([](Parameter& parameter) {
        parameter.scanner_channel = parameter.linear_index;
        parameter.indexed = 0;
    });
}

} // namespace

std::string_view description_stream_name(int variant)
{
    switch (variant) {
    case 0:
        return "zr740.tree";
    case 1:
        return "zr740_old.tree";
    default:
        return {};
    }
}

LoadedTrees parse_and_build(std::string_view cp1251_text, DescriptionLists& lists, InstrumentVersion version,
                            PoutTable& pout, Shell& shell)
{
    if (const auto zero = cp1251_text.find('\0'); zero != std::string_view::npos)
        cp1251_text = cp1251_text.substr(0, zero);
    const std::string text = cp1251_to_utf8(cp1251_text);

    ParseContext context{lists, version, shell, false};
    bool failed = false;
    try {
        // Lines end at every run of CR and LF characters; there are no empty lines.
        const std::string_view all(text);
        std::size_t pos = 0;
        while (pos < all.size()) {
            std::size_t end = pos;
            while (end < all.size() && all[end] != '\n' && all[end] != '\r')
                ++end;
            if (end > pos && parse_description_line(context, all.substr(pos, end - pos)) == 0) {
                failed = true;
                break;
            }
            pos = end;
            while (pos < all.size() && (all[pos] == '\n' || all[pos] == '\r'))
                ++pos;
        }
    } catch (const DescriptionSyntaxError&) {
        failed = true;
    }
    if (failed)
        loader_message(shell, texts::tree_not_built);

    LoadedTrees trees;
    // A tree whose linear indices do not fit is of no use: its parameters could not be told apart
    // in a configuration file. It is dropped with a message.
    bool indices_too_large = false;
    if (lists.root)
        indices_too_large = lists.root->build(pout, false, 0) < 0;
    else
        loader_message(shell, texts::no_root);
    if (lists.scanners) {
        indices_too_large = lists.scanners->build(pout, false, 0) < 0 || indices_too_large;
        prepare_for_polling(*lists.scanners);
    }
    auto survivors = lists.release_templates();
    if (indices_too_large) {
        // The survivors die here: nothing may keep pointing into them.
        lists.root = lists.scanners = lists.network = nullptr;
        pout.fill(nullptr);
        loader_message(shell, texts::indices_too_large);
        return trees;
    }
    trees.root = std::move(survivors.root);
    trees.scanners = std::move(survivors.scanners);
    return trees;
}

bool load_description_file(const std::string& path, int variant, DescriptionLists& lists, InstrumentVersion version,
                           PoutTable& pout, Shell& shell, LoadedTrees& trees)
{
    const auto stream = description_stream_name(variant);
    if (stream.empty())
        return false;
    std::string data;
    PackedStorage storage;
    if (!storage.open(path) || storage.extract(std::string(stream), data) == 0) {
        loader_message(shell, texts::tree_file_error);
        return false;
    }
    trees = parse_and_build(data, lists, version, pout, shell);
    return true;
}

} // namespace zr740
