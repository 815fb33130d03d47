// The device class without a line: which model is served, the limits that follow the measuring
// range, the apply command's parameter, the apply dialog's text and the failure paths of the reset.

#include "device/apply_confirmation.h"
#include "device/device_document.h"
#include "device/zr740_device.h"
#include "link/device.h"
#include "model/desc_branch.h"
#include "platform/run_state.h"
#include "support/memory_settings.h"
#include "support/recording_shell.h"

#include <gtest/gtest.h>

namespace zr740 {
namespace {

using BaseDevice::CBaseDevice;
using BaseDevice::CZR740;
using BaseDevice::create_device;

// A document with a small tree: the measuring range and set points sit two levels down, as in
// the real description. The port stays closed, so every transaction fails at once.
class FakeDocument : public DeviceDocument {
public:
    FakeDocument()
    {
        root_ = std::make_unique<DescBranch>("Параметры прибора", 1, 1, 1, 1);
        auto range = std::make_unique<DescBranch>("Параметры измерения", 1, 1, 2, 3);
        auto set_points = std::make_unique<DescBranch>("Уставки", 1, 1, 2, 3);
        for (const char* name : {"0x001A", "0x001C"})
            range->append(std::make_unique<Parameter>(name));
        for (const char* name : {"0x0026", "0x002A", "0x0028", "0x002C"})
            set_points->append(std::make_unique<Parameter>(name));
        range->add_child(std::move(set_points));
        root_->add_child(std::move(range));
    }

    DescBranch* root() const override { return root_.get(); }
    DescBranch* scanners() const override { return nullptr; }
    Device& link() override { return link_; }
    Shell& shell() override { return shell_; }
    void initialise_all_parameters() override { ++initialisations; }
    void read_all_later() override {}
    bool calibration_dialog(const std::function<void(bool, const std::string&)>&) override { return false; }

    Parameter& at(const char* name) { return *root_->find_in_tree(name); }
    void set(const char* name, const char* value) { at(name).value_text = value; }

    RunState run;
    testing::RecordingShell shell_;
    testing::MemorySettings settings;
    Device link_{run, shell_, settings, {}};
    std::unique_ptr<DescBranch> root_;
    int initialisations = 0;
};

TEST(CreateDevice, ServesTheTwoVariantsOnly)
{
    FakeDocument document;
    for (int variant : {-1, 2, 3, 255})
        EXPECT_EQ(create_device(variant, document), nullptr) << variant;
    for (int variant : {0, 1}) {
        auto device = create_device(variant, document);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->runtime_class().name, "CZR740");
        EXPECT_TRUE(device->supports_calibration());
        EXPECT_TRUE(device->shows_scanners_branch());
        EXPECT_FALSE(device->lists_data_bits());
        EXPECT_FALSE(device->init_after_write());
    }
}

TEST(DeviceClass, NamesThatTriggerApplyOrRereadIgnoreCase)
{
    FakeDocument document;
    CZR740 device(document);
    struct Case {
        const char* name;
        bool network;
        bool reread;
    };
    for (const Case c : {Case{"0x000B", true, false}, Case{"0x000b", true, false}, Case{"0X0007", true, false},
                         Case{"0x000D", false, false}, Case{"0x0016", false, true}, Case{"0x0017", false, false},
                         Case{"0x0018", false, true}, Case{"", false, false}}) {
        EXPECT_EQ(device.is_network_parameter(c.name), c.network) << c.name;
        EXPECT_EQ(device.is_reread_parameter(c.name), c.reread) << c.name;
    }
    EXPECT_EQ(device.format_value(2.0f / 3.0f), "0.667");
    EXPECT_FALSE(device.status_bit_name(0).has_value());
}

TEST(DependentLimits, FollowTheMeasuringRange)
{
    struct Case {
        const char* lo;
        const char* hi;
        double set_min, set_max, hysteresis_max;
    };
    // The values are rounded to single precision as the instrument holds them; lo above hi is
    // taken as it stands, giving a negative hysteresis limit.
    for (const Case c : {Case{"4", "20", 4, 20, 4}, Case{"0", "1", 0, 1, 0.25}, Case{"20", "4", 20, 4, -4},
                         Case{"0.1", "0.3", double(0.1f), double(0.3f), double(0.3f - 0.1f) * 0.25},
                         Case{"1e3junk", "-2.5", 1000, -2.5, -250.625}}) {
        FakeDocument document;
        document.set("0x001A", c.lo);
        document.set("0x001C", c.hi);
        for (const char* name : {"0x0026", "0x0028", "0x002A", "0x002C"})
            document.set(name, "0");
        CZR740 device(document);
        device.update_dependent_limits();
        for (const char* name : {"0x0026", "0x0028"}) {
            EXPECT_EQ(document.at(name).min, c.set_min) << c.lo << ".." << c.hi;
            EXPECT_EQ(document.at(name).max, c.set_max) << c.lo << ".." << c.hi;
        }
        for (const char* name : {"0x002A", "0x002C"}) {
            EXPECT_EQ(document.at(name).min, 0.0);
            EXPECT_EQ(document.at(name).max, c.hysteresis_max) << c.lo << ".." << c.hi;
        }
        EXPECT_TRUE(document.shell_.messages.empty());
    }
}

TEST(DependentLimits, ReadOnceWhatWasNeverReadAndKeepTheLookups)
{
    FakeDocument document;
    document.set("0x001A", "4");
    document.set("0x001C", "20");
    document.at("0x0026").max = 77;
    CZR740 device(document);
    device.update_dependent_limits();
    // Never read: a read was tried (the closed port says so), and the text counts as 0.
    EXPECT_EQ(document.at("0x0026").status_text, "Ошибка открытия порта");
    EXPECT_EQ(document.at("0x001A").status_text, "");
    EXPECT_EQ(document.at("0x0026").max, 20);

    // The lookups are cached: a second call neither reads again nor sees a changed tree.
    document.at("0x0026").status_text.clear();
    document.set("0x001C", "8");
    device.update_dependent_limits();
    EXPECT_EQ(document.at("0x0026").status_text, "");
    EXPECT_EQ(document.at("0x0026").max, 8);
}

TEST(DependentLimits, AMissingParameterChangesNothing)
{
    FakeDocument document;
    auto& set_points = *document.root_->children[0]->children[0];
    set_points.parameters.pop_back(); // "0x002C"
    document.set("0x001A", "4");
    document.set("0x001C", "20");
    document.at("0x0026").max = 99;
    CZR740 device(document);
    device.update_dependent_limits();
    EXPECT_EQ(document.at("0x0026").max, 99);
}

TEST(ApplyParameter, OneObjectWhoseBroadcastMarkOnlyTheLinkClears)
{
    FakeDocument document;
    CZR740 device(document);
    Parameter& first = device.apply_parameter(true);
    EXPECT_EQ(first.scanner_channel, 255);
    first.value_text = "0";
    first.register_number = 1;
    Parameter& second = device.apply_parameter(false);
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.scanner_channel, 255);
    EXPECT_EQ(second.name, "0x000F");
    EXPECT_EQ(second.type_text, "int");
    EXPECT_EQ(second.value_text, "129");
    EXPECT_EQ(second.register_number, 0x000F);
    EXPECT_EQ(second.register_count, 1);

    CBaseDevice base(document);
    EXPECT_EQ(base.apply_parameter(true).name, "APLY");
    EXPECT_EQ(base.apply_parameter(false).value_text, "");
}

TEST(ApplyDialog, ListsTheInstrumentsNewSettings)
{
    FakeDocument document;
    CZR740 device(document);
    CBaseDevice base(document);
    EXPECT_EQ(apply_settings_text(nullptr, device),
              "Нет данных - контекст устройства не получен диалогом APLY\n\nВнутренняя ошибка программы");
    EXPECT_EQ(apply_settings_text(&document.link_, device),
              "Нет данных - элемент 'Сетевые параметры прибора' не инициализирован\n\nВнутренняя ошибка программы");

    DescBranch network("Сетевые параметры", 1, 1, 4, 4);
    for (auto [name, value] : {std::pair{"0x0007", "5"}, {"0x0009", "19200"}, {"0x000A", "8"}, {"0x000B", "2"}}) {
        network.append(std::make_unique<Parameter>(name)).value_text = value;
    }
    network.append(std::make_unique<Parameter>("0x000C")); // never read
    document.link_.network_branch = &network;
    EXPECT_EQ(apply_settings_text(&document.link_, device),
              "Скорость: 19200\nЧетность: Нет данных\nКол-во стоп-бит: 2\nАдрес: 5\n");
    EXPECT_EQ(apply_settings_text(&document.link_, base),
              "Скорость: 19200\nДлина слова данных: 8\nЧетность: Нет данных\nКол-во стоп-бит: 2\nАдрес: 5\n");

    // Only known values reach the program's settings.
    auto& settings = document.link_.link_settings();
    settings.set_value_by_name("0x000C", "Четность");
    ASSERT_TRUE(copy_network_values(document.link_));
    EXPECT_EQ(settings.value_by_name("0x0009"), "19200");
    EXPECT_EQ(settings.value_by_name("0x000B"), "2");
    EXPECT_EQ(settings.value_by_name("0x0007"), "5");
    EXPECT_EQ(settings.value_by_name("0x000C"), "Четность");
}

TEST(InitialiseDevice, AFailedResetIsShownAndChangesNothing)
{
    FakeDocument document;
    auto& settings = document.link_.link_settings();
    settings.set_value_by_name("0x0007", "3");
    CZR740 device(document);
    device.initialise_device();
    ASSERT_EQ(document.shell_.messages.size(), 1u);
    EXPECT_EQ(document.shell_.messages[0].text, "Ошибка открытия порта");
    EXPECT_EQ(document.shell_.messages[0].caption, "Ошибка сброса параметров");
    EXPECT_EQ(document.shell_.messages[0].icon, Icon::warning);
    EXPECT_EQ(settings.value_by_name("0x0007"), "3");
    EXPECT_TRUE(document.shell_.questions.empty());
}

TEST(InitialiseDevice, TheGenericOneAsksFirstAndNeedsATree)
{
    FakeDocument document;
    CBaseDevice device(document);
    device.initialise_device();
    EXPECT_EQ(document.initialisations, 0);
    ASSERT_EQ(document.shell_.questions.size(), 1u);
    EXPECT_EQ(document.shell_.questions[0].icon, Icon::warning);
    document.shell_.answer = true;
    device.initialise_device();
    EXPECT_EQ(document.initialisations, 1);

    document.root_.reset();
    device.initialise_device();
    ASSERT_EQ(document.shell_.messages.size(), 1u);
    EXPECT_EQ(document.shell_.messages[0].text, "Дерево не определено");
    EXPECT_EQ(document.shell_.messages[0].caption, "ЗР740");
    EXPECT_EQ(document.shell_.messages[0].icon, Icon::stop);
}

} // namespace
} // namespace zr740
