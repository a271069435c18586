// install-log-check: tells a vendor, before shipping, whether the installer will load an
// install script, and if not, which line breaks it and why.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "check.h"
#include "console.h"
#include "report_output.h"
#include "ship_folder.h"

namespace {

const char kUsage[] =
    "install-log-check: checks an install script (Install.log) with the installer's own reading rules\n"
    "\n"
    "usage: install-log-check [--json] [--folder FOLDER] PATH\n"
    "  PATH             a ship folder: its Install.log is checked (the name in any case), and the\n"
    "                   files it lists are looked for in the folder; or a script file, whose listed\n"
    "                   files are looked for only when --folder names the ship folder\n"
    "  --folder FOLDER  look for the listed files in FOLDER\n"
    "  --json           write one JSON object (format 1) instead of lines for people\n"
    "  --help           show this text\n"
    "\n"
    "exit codes:\n"
    "  0  the script loads, with no warnings\n"
    "  1  the script loads, with warnings\n"
    "  2  the script is broken: the installer would refuse it\n"
    "  3  the check could not run: no such file or folder, no Install.log in the folder,\n"
    "     a file that cannot be read, or wrong arguments\n";

struct Arguments {
    bool json = false;
    bool help = false;
    std::string path;
    std::string folder;
    std::string error;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    bool optionsOver = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (!optionsOver && argument == "--") {
            optionsOver = true;
        } else if (!optionsOver && argument == "--json") {
            arguments.json = true;
        } else if (!optionsOver && (argument == "--help" || argument == "-h")) {
            arguments.help = true;
        } else if (!optionsOver && argument == "--folder") {
            if (i + 1 == argc) arguments.error = "--folder needs a folder";
            else arguments.folder = argv[++i];
        } else if (!optionsOver && argument.compare(0, 9, "--folder=") == 0) {
            arguments.folder = argument.substr(9);
        } else if (!optionsOver && argument.size() > 1 && argument[0] == '-') {
            arguments.error = "unknown option " + argument;
        } else if (arguments.path.empty()) {
            arguments.path = argument;
        } else {
            arguments.error = "only one script or folder at a time";
        }
    }
    if (arguments.error.empty() && !arguments.help && arguments.path.empty()) arguments.error = "no script or folder given";
    return arguments;
}

int CannotRun(const Arguments& arguments, const std::string& message) {
    fprintf(stderr, "install-log-check: %s\n", PathForOutput(message).c_str());
    if (arguments.json) fputs(FormatErrorAsJson(PathForOutput(arguments.path), PathForOutput(message)).c_str(), stdout);
    return kExitCannotRun;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
    return joined;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    Arguments arguments = ParseArguments(argc, argv);
    if (arguments.help) {
        fputs(kUsage, stdout);
        return kExitLoaded;
    }
    if (!arguments.error.empty()) return CannotRun(arguments, arguments.error + " (see --help)");

    std::string scriptPath = arguments.path;
    std::string folder = arguments.folder;
    std::vector<std::string> otherScripts;
    PathKind kind = KindOfPath(arguments.path);
    if (kind == PathKind::kMissing) return CannotRun(arguments, "no such file or folder: " + arguments.path);
    if (kind == PathKind::kFolder) {
        if (folder.empty()) folder = arguments.path;
        if (!FindScriptInFolder(arguments.path, &scriptPath, &otherScripts))
            return CannotRun(arguments, "no Install.log in " + arguments.path +
                                            " (the installer would show its broken-script message)");
    }
    if (!folder.empty() && KindOfPath(folder) != PathKind::kFolder)
        return CannotRun(arguments, "no such folder: " + folder);

    std::string bytes, error;
    if (!ReadWholeFile(scriptPath, &bytes, &error)) return CannotRun(arguments, error);

    CheckOptions options;
    if (!folder.empty()) options.lookUp = [folder](const std::string& name) { return LookUpInFolder(folder, name); };
    CheckRun run{PathForOutput(scriptPath), PathForOutput(folder), CheckScript(bytes, options)};
    if (run.report.loaded && !otherScripts.empty())
        run.report.warnings.insert(run.report.warnings.begin(),
                                   {0, "script-name-case",
                                    "the folder also holds " + PathForOutput(JoinNames(otherScripts)) +
                                        ", which Windows takes for the same file as " + run.scriptPath +
                                        "; keep only one of them"});
    fputs((arguments.json ? FormatAsJson(run) : FormatForPeople(run)).c_str(), stdout);
    return ExitCodeOf(run.report);
}
