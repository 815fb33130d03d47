// The single-parameter exchange without an instrument: the look-up, the parameter it makes, the
// value box's choices and identifier, and the report of an unknown name. The exchanges themselves
// are in the integration tests.

#include "app/single_point.h"
#include "description/description_lists.h"
#include "link/device.h"
#include "platform/run_state.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zr740 {
namespace {

DescParameter descriptor(std::string name, std::uint8_t count, std::string type, std::string caption)
{
    DescParameter d;
    d.name = std::move(name);
    d.register_count = count;
    d.type_text = std::move(type);
    d.caption = std::move(caption);
    return d;
}

class SinglePointTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        auto damping = descriptor("0x0018", 2, "float:2", "Время_демпфирования,_с");
        damping.min = 0;
        damping.max = 60;
        lists.add_parameter(damping);
        lists.add_parameter(descriptor("0x001E", 1, "Линейная_возрастающая:Корнеизвлекающая", "Характеристика"));
        // A later descriptor of the same name does not hide the first one.
        lists.add_parameter(descriptor("0X0018", 1, "int", "Другой"));
        lists.add_parameter(descriptor("!0x0044", 8, "string", "Позиционное_обозначение"));
    }

    DescriptionLists lists;
    RunState run;
    testing::RecordingShell shell;
    testing::MemorySettings settings;
    Device link{run, shell, settings, {}}; // never opened: an unknown name must not reach it
};

TEST_F(SinglePointTest, UnknownNameIsToldAndGivesNoLines)
{
    const auto lines = single_point_exchange(lists, link, shell, "0x0099", SinglePointOperation::read, std::string());
    EXPECT_TRUE(lines.empty());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Параметер '0x0099' не описан!");
    EXPECT_EQ(shell.messages[0].caption, "ЗР740");
    EXPECT_EQ(shell.messages[0].icon, Icon::stop);
    EXPECT_EQ(shell.messages[0].owner, Owner::main_window);
}

TEST_F(SinglePointTest, LooksTheNameUpWithoutRegardToCaseWithOrWithoutTheExclamationMark)
{
    struct Case {
        const char* name;
        const char* caption; // nullptr: not found
    };
    const Case cases[] = {
        {"0x0018", "Время_демпфирования,_с"},
        {"0X0018", "Время_демпфирования,_с"},
        {"!0x0018", "Время_демпфирования,_с"},
        {"0x001e", "Характеристика"},
        {"!0x0044", "Позиционное_обозначение"},
        {"0x0044", "Позиционное_обозначение"},
        {"0X0044", "Позиционное_обозначение"},
        {"0x001", nullptr},
        {"!0x001", nullptr},
        {"!!0x0018", nullptr},
        {"!", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const DescParameter* found = find_described_parameter(lists, c.name);
        if (!c.caption) {
            EXPECT_EQ(found, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(found, nullptr) << c.name;
        EXPECT_EQ(found->caption, c.caption) << c.name;
    }
}

TEST(SinglePointParameter, TakesTheDescriptorWithTheBaseTypeAndABlankCaption)
{
    auto d = descriptor("0x0030", 2, "STORED_DOT:2", "Отсечка_малых_давлений");
    d.min = -1.5;
    d.max = 10;
    const Parameter p = single_point_parameter(d);
    EXPECT_EQ(p.name, "0x0030");
    EXPECT_EQ(p.type_text, "STORED_DOT");
    EXPECT_EQ(p.register_count, 2);
    EXPECT_EQ(p.caption, "Отсечка малых давлений");
    EXPECT_EQ(p.min, -1.5);
    EXPECT_EQ(p.max, 10);
}

TEST(SinglePointParameter, OnlyANumericBaseTypeWithANumberIsCut)
{
    struct Case {
        const char* type;
        const char* expected;
    };
    for (const Case c : {Case{"float:2", "float"}, Case{"int:0", "int"}, Case{"int16:3", "int16"},
                         Case{"CLK_frm:1", "CLK_frm"}, Case{"stored_dot:12", "stored_dot"}, Case{"Float:2", "Float"},
                         Case{"float", "float"}, Case{"float:x", "float:x"}, // no number
                         Case{"string:4", "string:4"}, Case{"1:2", "1:2"},   // an enumeration of numbers
                         Case{"Выкл:Вкл", "Выкл:Вкл"}, Case{":2", ":2"}}) {
        EXPECT_EQ(single_point_type_text(c.type), c.expected) << c.type;
    }
}

TEST(SinglePointValueBox, EnumerationsListTheirVisibleItems)
{
    struct Case {
        const char* type;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"Отсутствует:Четность:Нечетность", {"Отсутствует", "Четность", "Нечетность"}},
        {"Линейная_возрастающая:Корнеизвлекающая", {"Линейная возрастающая", "Корнеизвлекающая"}},
        {"Выкл:Резерв<hide>:Вкл", {"Выкл", "Вкл"}},
        {"<hide>:Вкл", {"Вкл"}},
        {"7:8", {"7", "8"}},
        // Typed-in values have no list, in any case and with digits after the point.
        {"string", {}},
        {"ASCI", {}},
        {"int", {}},
        {"INT16", {}},
        {"CLK_frm", {}},
        {"float", {}},
        {"float:2", {}},
        {"STORED_DOT:2", {}},
        {"name", {}},
        {"<тип неопределен>", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(single_point_items(c.type), c.items) << c.type;
}

TEST(SinglePointValueBox, IdentifierIsTheNameReadAsHexadecimal)
{
    struct Case {
        const char* name;
        const char* identifier;
    };
    for (const Case c : {Case{"0x0018", "0x18"}, Case{"0X001e", "0x1E"}, Case{"100", "0x100"}, Case{"ff", "0xFF"},
                         Case{"0x0100:junk", "0x100"}, Case{"Давление", "0x0"}, Case{"", "0x0"},
                         Case{"!0x0000", "0x0"}, Case{"!0x0044", "0x44"}, Case{"!", "0x0"}}) {
        EXPECT_EQ(single_point_identifier(c.name), c.identifier) << c.name;
    }
}

} // namespace
} // namespace zr740
