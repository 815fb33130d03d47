// The window's modes that a person sets and expects to find again at the next start: reading
// written values back and block reads.

#include "app/chlb5_app.h"

#include "app/app_context.h"
#include "platform/settings_store.h"

#include <string_view>

namespace zr740 {
namespace {

// Where the window's modes are kept, beside the link settings.
namespace mode_keys {
constexpr std::string_view verify = "VerifyWrites";
constexpr std::string_view block_reads = "BlockReads";
} // namespace mode_keys

} // namespace

void CHLB5App::load_window_modes()
{
    // A run with options is another program's: what a person last chose in the window must not
    // change what that run does (or its exit code).
    if (!front_ || (command_line_.options & option_flags::any))
        return;
    window_modes_ = true;
    verify_stored_ = settings_.read_link_value(mode_keys::verify, 0) != 0;
    blocks_stored_ = settings_.read_link_value(mode_keys::block_reads, 0) != 0;
    context_.verify_writes = verify_stored_;
    context_.block_reads = blocks_stored_;
}

void CHLB5App::keep_window_modes()
{
    if (!window_modes_)
        return;
    // Only a change is written: a run that changed nothing leaves the settings file alone.
    if (context_.verify_writes != verify_stored_) {
        verify_stored_ = context_.verify_writes;
        settings_.write_link_value(mode_keys::verify, verify_stored_ ? 1 : 0);
    }
    if (context_.block_reads != blocks_stored_) {
        blocks_stored_ = context_.block_reads;
        settings_.write_link_value(mode_keys::block_reads, blocks_stored_ ? 1 : 0);
    }
}

} // namespace zr740
