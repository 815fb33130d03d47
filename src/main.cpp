// zr740: the configurator of the ZR740 pressure transmitter.
//
// With options on the command line it runs unattended: sets the link, reads the instrument into a
// configuration file or writes a file into it, sends the apply command, and ends with an exit code
// that tells the calling program the outcome. Without options it opens its window.

#include "app/app_context.h"
#include "app/chlb5_app.h"
#include "app/command_line.h"
#include "app/console_shell.h"
#include "app/recovery_file.h"
#include "app/scan_command.h"
#include "link/device_io.h"
#include "model/common_params.h"
#include "platform/exit_signals.h"
#include "platform/program_info.h"
#include "platform/serial_ports.h"
#include "platform/memory_settings.h"
#include "platform/run_state.h"
#include "platform/settings_store.h"
#if ZR740_HAS_WINDOW
#include "ui/window_main.h"
#endif

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#ifndef ZR740_HAS_WINDOW
#define ZR740_HAS_WINDOW 0
#endif

namespace {

constexpr const char* help_text = R"(usage: zr740 [OPTIONS] [FILE.zr740]
       zr740 --scan PORT [--address FROM-TO] [--baud RATE,RATE...]
       zr740 --register | --help | --version

--scan finds the instruments on a line: each address of the range (default 1-247) at each baud
rate of the list (default the description's nine) is asked for its name with a short time-out;
those that answer are printed as CSV ("address,baud,parity,name,version,serial" first, then one
line each, as they answer; other Modbus slaves with what they answered). PORT as for "port"
below, the line's parity "no". Exit code 0 when one or more were found, 202 when none, 201 when
the port does not open, 205 when stopped, 208 for options it does not know.

Without options, or with options that ask for no job (only the link settings or the window's
place), it opens its window; FILE is then the document (opened, or the name of a new one) and a
failed link check leaves the window offline. With a job ("read", "write") it runs unattended:
with "close" (and always without a display) messages go to standard error and into the error
log, and no box waits for a click. Options shape only the start-up and the first job; the
window is the user's afterwards. An option argument begins with "-", or with "/" when
every name in it is an option with its value ("/home/user/line3.zr740" and "/x/line3.zr740" name
files); one argument may carry several options joined by "/", e.g.  -read/close/port:/dev/ttyUSB0 .
Names and values are not case sensitive, except the values of "port", "elog", "html", "trace", "csv"
and "report", which run to the end of the argument.

  read              read every parameter from the instrument and save them into FILE (required);
                    when some parameters fail, FILE keeps what it had and the result is saved
                    beside it as FILE's name with ".partial" before ".zr740" (code 207)
  write             write every parameter of FILE into the instrument
  verify            with "write": read every written parameter back and compare its registers
                    with what was sent; one that differs fails ("Прибор хранит X вместо Y" in the
                    error log, code 207)
  block             read neighbouring parameters of a branch with one request (gaps of up to 4
                    registers are read along); values, error log and exit code are those of
                    single reads, and a block the instrument refuses is read parameter by parameter
  close             close when the job has ended (a run without a window always does)
  aply              also put the port settings into the instrument's network parameters and
                    send its apply command when they were written
  port:N|PATH|URL   serial port: a number N means COMn (/dev/ttyS(N-1)), else a device path;
                    or a network end: tcp://HOST:PORT carries the RTU frames unchanged (a serial
                    device server in raw mode), modbus-tcp://HOST:PORT speaks Modbus TCP to a
                    gateway with the address as unit identifier; the line settings are then the
                    far end's, the reply time-out gets network_latency ms on top (setting,
                    default 300), a connection takes at most 3 s and a dropped one is made again
  bps:N  len:N  sbit:S  prty:even|odd|no  0x0007:ADDR  alen:N
                    link settings (baud rate, data bits, stop bits, parity, address, address
                    length); a "prty" with another value drops the settings given before it
  rs485:auto|off|on converter: "off" automatic, "auto"/"on" semi-automatic (RTS controlled)
  autoread:on|off   automatic reading of parameters not yet read
  silent            keep the port closed except for the start-up link check and the job
  elog:PATH         error log: one line per failed parameter, and "Port - reason" when the port
                    does not open (created empty at start)
  trace:PATH        traffic log, appended to as it happens: one line per frame or link event,
                    local time, TX/RX (or RETRY, TIMEOUT, SKIP, UNMATCHED, OPEN, CLOSE, LINEERR),
                    the bytes in hex and what they mean; ZR740_TRACE=PATH does the same
  exitevent:NAME    create the POSIX named semaphore "/name" (lower case); posting it ends the
                    run with code 205, as SIGTERM, SIGINT and SIGHUP do (SIGPIPE is ignored)
  test              stop right after the link check; the code tells what it found
  html:PATH         write the parameter list page (HTML, Windows-1251) of the description to PATH
                    and end: of FILE's description when a FILE is named, else of the current
                    transmitter's; the instrument is not asked
  csv:PATH          a CSV file (UTF-8, "," between fields, "\n" line ends): with "poll" the log of
                    the polled values, with "compare" the differences, else the parameter list
                    (one line per parameter, with or without "html"); the instrument is then not asked
  poll:SECONDS      poll every scanner of the description ("Текущие значения"; configuration files
                    keep no scanner settings) at its period, together, for SECONDS (0: until
                    stopped), into the "csv" log: "time,<caption>...,status", one line per round,
                    the time in UTC to the millisecond, each line written as soon as its round is
                    complete; a failed poll leaves its cell empty and is named in "status". Ends 0,
                    200 when the log cannot be written, 202 when not one poll succeeded, 207 when a
                    scanner never answered, 205 when stopped (the file stays complete)
  compare           compare FILE with the instrument and end; with "csv" every difference goes there
                    (command, index, caption, value and attributes in FILE and in the instrument);
                    ends 209 when there are differences
  commission        commissioning: identify the instrument (name, firmware version, serial number),
                    write FILE, read every written parameter back (as "verify"), send the apply
                    command with "aply" when all verified, and append one CSV line to the report:
                    time (local, ISO-8601 with offset),serial,version,address,result (ok|failed),
                    written,verified,failed,failed_parameters (joined by ";"); a new report gets
                    a header. Exit 0 ok, 207 a value did not verify. Never opens the window
  report:PATH       the commissioning report, appended to (required with "commission")
  repeat            with "commission": then wait for the next instrument, polling the line about
                    once a second; each serial number not yet commissioned in this run is
                    commissioned next, the same one is left alone, silence (also at start-up) is
                    waited out; until stopped (205)
  calibrate, x:N, y:N, w:N, h:N, autowrite:on|off
                    accepted for the window version of the program

  --register        write the machine-wide installation record (run once, when installing)

Before any job the instrument is identified; a run that does not find a ZR740 there sends it
nothing and ends with the code of what failed. A stop ends the job within one transaction.

Exit codes: 0 success; 200 FILE missing, empty or not a configuration for "write", no FILE for
"read", FILE (or the html page) cannot be written, or FILE not a configuration for "html";
201 the port cannot be opened; 202 no reply (nothing could be exchanged, the instrument did not
answer the link check, or five transactions in a row got no reply); 203 protocol error; 204 the
instrument reported an error; 205 stopped (exit event, SIGTERM, SIGINT, SIGHUP), whatever the job
left; 206 the instrument is not a ZR740; 207 the job ran to its end but some parameters could not
be exchanged (see the error log); 208 an option name the program does not know, "poll" without
"csv" or without a number of seconds (nothing was done); 209 "compare" found differences. With
several causes the lowest code wins.
)";

bool has_display()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    // A window platform named explicitly (e.g. "offscreen" for tests and screenshots) counts too.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return (x11 && *x11) || (wayland && *wayland) || (platform && *platform);
}

// "--scan": the instruments on a line as CSV, on a link of its own whose settings nobody saves.
int scan(const std::vector<std::string>& arguments)
{
    zr740::ScanCommand command;
    std::string error;
    if (!zr740::parse_scan_command(arguments, command, error)) {
        std::cerr << error << '\n';
        return zr740::scan_usage_exit;
    }
    zr740::RunState run;
    zr740::ConsoleShell shell(std::cout, std::cerr);
    zr740::MemorySettings settings;
    zr740::DeviceIO link(run, shell, settings, zr740::list_serial_ports());
    zr740::LineScan line_scan(link);
    zr740::ExitSignals signals;
    std::thread stopper([&] {
        if (signals.wait() != zr740::ExitSignals::Cause::shutdown)
            line_scan.stop();
    });
    const int code = zr740::run_scan_command(command, link, line_scan, std::cout, std::cerr);
    signals.shutdown();
    stopper.join();
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    // First of all: a stop that comes while the program starts stays pending for the shutdown
    // watcher instead of killing the process half-way, or being lost.
    zr740::ExitSignals::block_signals();

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const auto& argument : arguments) {
        if (argument == "--help") {
            std::cout << help_text;
            return 0;
        }
        if (argument == "--version") {
            std::cout << "zr740 " << zr740::program_version_text() << '\n';
            // The legal notice: the copyright holder and the licence.
            std::cout << zr740::copyright_text() << '\n' << zr740::licence_text() << '\n';
            return 0;
        }
        if (argument == "--scan" && argument == arguments.front())
            return scan(arguments);
        if (argument == "--register") {
            zr740::SettingsStore settings(zr740::platform_paths_from_environment());
            if (zr740::CommonParams::record_installation(settings, zr740::program_version_text()))
                return 0;
            std::cerr << "zr740: cannot write the installation record " << settings.machine_file().string() << '\n';
            return 1;
        }
    }

    const zr740::CmyCommandLineInfo info(arguments);
    const std::uint32_t options = info.settings.options;
    // Polling into a log, a compare into a file, a CSV list and commissioning end by themselves and
    // serve a script: they run on the console even where a display is (the window offers
    // commissioning of its own).
    const bool console_only = info.poll_seconds >= 0 || info.compare || !info.csv_path.empty() ||
                              (options & zr740::option_flags::commission);
    const bool windows = ZR740_HAS_WINDOW && has_display() && !console_only;
    if (!windows && !(options & zr740::option_flags::any)) {
        std::cerr << (has_display() ? "zr740: this build has no window; run it with options (see zr740 --help).\n"
                                    : "zr740: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY "
                                      "is set); run it with options for an unattended run (see zr740 --help).\n");
        return 1;
    }

    zr740::AppContext context;
    const auto description = zr740::find_data_file("zr740.dat");
    context.program_folder = description ? description->parent_path().string() : zr740::program_folder().string();
    // Only a window run without options keeps unsaved changes there when it is ended from outside.
    context.recovery_folder = zr740::RecoveryFile::folder_in(zr740::platform_paths_from_environment()).string();
    zr740::ConsoleShell shell(std::cout, std::cerr);
    // Link settings are written once, when the run ends, and only when they changed.
    zr740::SettingsStore settings(zr740::platform_paths_from_environment());

#if ZR740_HAS_WINDOW
    // With a display the window runs the program, unattended runs included (they show their
    // progress window); without one the console stays.
    if (windows)
        return zr740::ui::run_with_windows(argc, argv, context, settings, zr740::list_serial_ports(), arguments);
#endif
    zr740::CHLB5App app(context, shell, settings, zr740::list_serial_ports());
    return app.run(arguments);
}
