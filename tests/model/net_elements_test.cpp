#include "model/common_params.h"
#include "model/net_rs485.h"
#include "model/net_rs485prg.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"
#include "support/memory_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>

namespace zr740 {
namespace {

using testing::MemorySettings;

const std::vector<std::string> ports = {"/dev/ttyS0", "/dev/ttyUSB0"};

std::vector<std::string> names_of(const ObjectWithParameters& element)
{
    std::vector<std::string> names;
    for (const auto& parameter : element.parameters)
        names.push_back(parameter->name);
    return names;
}

TEST(NetRS485, MakesTheFiveNetworkParametersInOrder)
{
    NetRS485 element;
    EXPECT_EQ(element.name, "Сетевые параметры прибора");
    EXPECT_EQ(element.type_name, "Сеть RS-485");
    EXPECT_EQ(element.icon_index(), 4);
    EXPECT_EQ(element.selected_icon_index(), 4);
    EXPECT_EQ(element.extra, 1);

    struct Row {
        const char* name;
        const char* caption;
        const char* type_text;
        const char* init_text;
    };
    const Row rows[] = {
        {"0x0009", "Скорость", "2400:4800:9600:14400:19200:28800:38400:57600:115200", "9600"},
        {"0x000A", "Длина слова данных", "7:8", "8"},
        {"0x000C", "Четность", "Отсутствует:Четность:Нечетность", "Отсутствует"},
        {"0x000B", "Кол-во стоп-бит", "1:2", "1"},
        {"0x0007", "Адрес", "int", "16"},
    };
    ASSERT_EQ(element.parameters.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& parameter = *element.parameters[i];
        EXPECT_EQ(parameter.name, rows[i].name);
        EXPECT_EQ(parameter.caption, rows[i].caption);
        EXPECT_EQ(parameter.type_text, rows[i].type_text);
        EXPECT_EQ(parameter.init_text, rows[i].init_text);
        EXPECT_EQ(parameter.value_text, "Нет данных");
        EXPECT_TRUE(parameter.exchangeable);
    }

    element.set_value_by_name("0x0007", "3");
    element.append(std::make_unique<Parameter>("extra"));
    element.rebuild_parameters();
    EXPECT_EQ(names_of(element), (std::vector<std::string>{"0x0009", "0x000A", "0x000C", "0x000B", "0x0007"}));
    EXPECT_EQ(element.value_by_name("0x0007"), "Нет данных");
}

TEST(NetRS485prg, FirstStartGivesTheDefaults)
{
    MemorySettings settings;
    NetRS485prg element(settings, ports);
    EXPECT_EQ(element.name, "Сетевые параметры программы");
    EXPECT_EQ(element.icon_index(), 19);
    EXPECT_EQ(element.selected_icon_index(), 19);
    EXPECT_EQ(names_of(element),
              (std::vector<std::string>{"0x0009", "0x000A", "0x000C", "0x000B", "0x0007", "Port", "Prot"}));

    EXPECT_EQ(element.value_by_name("0x0007"), "16");
    EXPECT_EQ(element.value_by_name("0x0009"), "9600");
    EXPECT_EQ(element.value_by_name("0x000A"), "8");
    EXPECT_EQ(element.value_by_name("0x000B"), "1");
    EXPECT_EQ(element.value_by_name("0x000C"), "Отсутствует");
    EXPECT_EQ(element.value_by_name("Port"), "COM1");
    EXPECT_EQ(element.value_by_name("Prot"), "ModBus-RTU");

    const auto* port = element.find("Port");
    EXPECT_EQ(port->caption, "Порт компьютера");
    EXPECT_EQ(port->type_text, "/dev/ttyS0:/dev/ttyUSB0");
    const auto* protocol = element.find("Prot");
    EXPECT_EQ(protocol->caption, "Протокол");
    EXPECT_EQ(protocol->type_text, "ModBus-RTU");
    EXPECT_EQ(protocol->init_text, "ModBus-RTU");

    // The load is not a change made by the user.
    for (const auto& parameter : element.parameters) {
        EXPECT_FALSE(parameter->any_changed()) << parameter->name;
        EXPECT_EQ(parameter->attribute_mode, 0) << parameter->name;
    }
    EXPECT_EQ(element.has_changes(), 0);
    EXPECT_TRUE(settings.writes.empty()); // loading writes nothing
}

TEST(NetRS485prg, LoadsStoredValues)
{
    struct Case {
        const char* label;
        std::map<std::string, int> values;
        std::map<std::string, std::string> texts;
        std::map<std::string, std::string> expected;
    };
    const std::vector<Case> cases = {
        {"numbers",
         {{"address", 5}, {"baud_rate", 19200}, {"byte_size", 7}, {"stop_bits", 2}},
         {},
         {{"0x0007", "5"}, {"0x0009", "19200"}, {"0x000A", "7"}, {"0x000B", "2"}}},
        {"parity 3 is none", {{"parity_scheme", 3}}, {}, {{"0x000C", "Отсутствует"}}},
        {"parity 1 is even", {{"parity_scheme", 1}}, {}, {{"0x000C", "Четность"}}},
        {"parity 4 is odd", {{"parity_scheme", 4}}, {}, {{"0x000C", "Нечетность"}}},
        {"parity 2 is unknown", {{"parity_scheme", 2}}, {}, {{"0x000C", "<неверное значение>"}}},
        {"parity 0 is unknown", {{"parity_scheme", 0}}, {}, {{"0x000C", "<неверное значение>"}}},
        {"port number", {{"port_number", 12}}, {}, {{"Port", "COM12"}}},
        {"port name wins", {{"port_number", 3}}, {{"port_name", "/dev/ttyUSB0"}}, {{"Port", "/dev/ttyUSB0"}}},
        {"empty port name ignored", {{"port_number", 3}}, {{"port_name", ""}}, {{"Port", "COM3"}}},
        {"address length not loaded", {{"address_length", 2}}, {}, {{"A.Len", "Нет данных"}}},
    };
    for (const auto& c : cases) {
        MemorySettings settings;
        settings.values = c.values;
        settings.texts = c.texts;
        NetRS485prg element(settings, ports);
        for (const auto& [name, value] : c.expected)
            EXPECT_EQ(element.value_by_name(name), value) << c.label << ": " << name;
        EXPECT_EQ(element.has_changes(), 0) << c.label;
    }
}

TEST(NetRS485prg, DestructionSavesEveryValue)
{
    MemorySettings settings;
    {
        NetRS485prg element(settings, ports);
        element.set_value_by_name("0x0007", "31");
        element.set_value_by_name("0x0009", "115200");
        element.set_value_by_name("0x000A", "7");
        element.set_value_by_name("0x000B", "2");
        element.set_value_by_name("0x000C", "Нечетность");
        element.set_value_by_name("Port", "COM12");
        element.append(std::make_unique<Parameter>("a.LEN")).value_text = "2";
    }
    const std::map<std::string, int> expected = {
        {"address", 31},   {"address_length", 2}, {"baud_rate", 115200}, {"byte_size", 7},
        {"stop_bits", 2}, {"parity_scheme", 4},  {"port_number", 12},
    };
    EXPECT_EQ(settings.values, expected);
    EXPECT_EQ(settings.texts["port_name"], "COM12");
}

TEST(NetRS485prg, PortNumberIsWrittenOnlyWhenOneIsFound)
{
    struct Case {
        const char* port;
        std::optional<int> number;
    };
    const Case cases[] = {
        {"COM12", 12},     {"COMCOM5", 5},   {"COM 7", 7},     {"COM-2", -2},
        {"/dev/ttyUSB0", std::nullopt},       {"COM", std::nullopt}, {"", std::nullopt},
        {"com4", std::nullopt}, // "COM" is removed with its case only
    };
    for (const auto& c : cases) {
        MemorySettings settings;
        settings.values["port_number"] = 9;
        NetRS485prg element(settings, ports);
        element.set_value_by_name("Port", c.port);
        element.save();
        EXPECT_EQ(settings.values["port_number"], c.number.value_or(9)) << c.port;
        EXPECT_EQ(settings.written("port_number"), c.number.has_value()) << c.port;
        EXPECT_EQ(settings.texts["port_name"], c.port);
    }
}

TEST(NetRS485prg, UnrecognisedStoredParitySurvivesTheNextSave)
{
    MemorySettings settings;
    settings.values["parity_scheme"] = 2;
    {
        NetRS485prg element(settings, ports);
        EXPECT_EQ(element.value_by_name("0x000C"), "<неверное значение>");
    }
    EXPECT_FALSE(settings.written("parity_scheme"));
    EXPECT_EQ(settings.values["parity_scheme"], 2);
    EXPECT_TRUE(settings.written("address"));
}

TEST(NetRS485prg, AddressLengthIsZeroWithoutItsParameter)
{
    MemorySettings settings;
    settings.values["address_length"] = 2;
    NetRS485prg element(settings, ports);
    element.save();
    EXPECT_EQ(settings.values["address_length"], 0);
}

TEST(NetRS485prg, NumbersAreSavedAsTheInputCheckReadThem)
{
    struct Case {
        const char* text;
        int saved;
    };
    // Whole numbers as the check of an "int" value reads them; anything else as atoi reads it.
    const Case cases[] = {{"1e2", 100},        {"016", 16},   {" 12", 12},         {" 12abc", 12},
                          {"Нет данных", 0},   {"12.5", 12},  {"99999999999", INT_MAX}, {"-5", -5}};
    for (const Case& c : cases) {
        MemorySettings settings;
        {
            NetRS485prg element(settings, ports);
            element.set_value_by_name("0x0007", c.text);
            element.save();
        }
        EXPECT_EQ(settings.values["address"], c.saved) << c.text;
    }
}

TEST(NetRS485prg, WithoutParityOnlyTheNumbersAreSaved)
{
    MemorySettings settings;
    NetRS485prg element(settings, ports);
    element.parameters.erase(element.parameters.begin() + 2); // "0x000C"
    ASSERT_EQ(element.find("0x000C"), nullptr);
    element.save();
    EXPECT_EQ(settings.writes,
              (std::vector<std::string>{"address", "address_length", "baud_rate", "byte_size", "stop_bits"}));
}

TEST(NetRS485prg, RebuildReloadsFromTheSettings)
{
    MemorySettings settings;
    NetRS485prg element(settings, ports);
    element.set_value_by_name("0x0007", "99");
    settings.values["address"] = 44;
    element.rebuild_parameters();
    EXPECT_EQ(element.parameters.size(), 7u);
    EXPECT_EQ(element.value_by_name("0x0007"), "44");
    EXPECT_EQ(element.has_changes(), 0);
}

TEST(NetRS485prg, SettingsFilesCarryTheValuesToTheNextRun)
{
    testing::TempDir dir;
    PlatformPaths paths{dir.path() / "user", dir.path() / "system", dir.path() / "cache", dir.path() / "state"};
    {
        SettingsStore store(paths);
        NetRS485prg element(store, ports);
        EXPECT_EQ(element.value_by_name("Port"), "COM1");
        element.set_value_by_name("Port", "/dev/ttyUSB0");
        element.set_value_by_name("0x0009", "19200");
        element.set_value_by_name("0x000C", "Четность");
    }
    SettingsStore store(paths);
    // "/dev/ttyUSB0" holds no number after "COM", so none was stored; the name carries the port.
    EXPECT_EQ(store.read_link_value("port_number", -1), -1);
    EXPECT_EQ(store.read_link_text("port_name"), "/dev/ttyUSB0");
    NetRS485prg element(store, ports);
    EXPECT_EQ(element.value_by_name("Port"), "/dev/ttyUSB0");
    EXPECT_EQ(element.value_by_name("0x0009"), "19200");
    EXPECT_EQ(element.value_by_name("0x000C"), "Четность");
    EXPECT_EQ(element.value_by_name("0x0007"), "16");
}

TEST(CommonParams, ShowsVersionCopyrightAndSystem)
{
    MemorySettings settings;
    CommonParams element("1.0.0.1", "Copyright (C) 2026 Korvel", "Linux 6.1.0-x86_64", settings);
    EXPECT_EQ(element.name, "Сервисные параметры программы");
    EXPECT_EQ(element.type_name, "Сервисные параметры программы");
    EXPECT_EQ(element.icon_index(), 20);
    EXPECT_EQ(element.selected_icon_index(), 20);
    EXPECT_EQ(element.version_text(), "1.0.0.1");

    const std::array<std::array<const char*, 3>, 3> rows = {{
        {" ", "Версия", "1.0.0.1"},
        {"  ", "Копирайт", "Copyright (C) 2026 Korvel"},
        {"   ", "Операционная система", "Linux 6.1.0-x86_64"},
    }};
    ASSERT_EQ(element.parameters.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(element.parameters[i]->name, rows[i][0]);
        EXPECT_EQ(element.parameters[i]->caption, rows[i][1]);
        EXPECT_EQ(element.parameters[i]->value_text, rows[i][2]);
    }
    // Lookup by name tells the blanks apart.
    EXPECT_EQ(element.value_by_name("  "), "Copyright (C) 2026 Korvel");
    EXPECT_EQ(element.has_changes(), 0);
    // Showing the element is no installation: the machine record is left alone.
    EXPECT_TRUE(settings.machine_writes.empty());
}

TEST(CommonParams, TheInstallationWritesTheWholeMachineRecordEvenWhenOneValueFails)
{
    MemorySettings settings;
    EXPECT_TRUE(CommonParams::record_installation(settings, "1.0.0.1"));
    const std::vector<std::array<std::string, 3>> expected = {
        {"Software\\Korvel\\Devices\\ZR740", "name", "ZR740"},
        {"Software\\Korvel\\Devices\\ZR740", "version", "1.0.0.1"},
        {"Software\\Korvel\\Devices\\ZR740", "devices", "ZR740"},
    };
    EXPECT_EQ(settings.machine_writes, expected);

    MemorySettings locked;
    locked.machine_writable = false;
    EXPECT_FALSE(CommonParams::record_installation(locked, "2.0.0.0"));
    EXPECT_EQ(locked.machine_writes.size(), 3u);
}

} // namespace
} // namespace zr740
