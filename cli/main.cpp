#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: tavrix <command> [options]\n\ncommands:\n");
  for (const auto& command : tavrix::cli::AllCommands()) {
    std::fprintf(out, "  %-12s %s\n", command.name, command.summary);
  }
  std::fprintf(out, "\n'tavrix <command> --help' shows a command's options.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& command : tavrix::cli::AllCommands()) {
    if (name != command.name) continue;
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
      std::printf("usage: tavrix %s\n%s\n", command.usage, command.summary);
      return 0;
    }
    try {
      return command.run(args);
    } catch (const tavrix::cli::UsageError& error) {
      std::fprintf(stderr, "tavrix %s: %s\nusage: tavrix %s\n", command.name, error.what(), command.usage);
      return 2;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "tavrix %s: %s\n", command.name, error.what());
      return 1;
    }
  }
  std::fprintf(stderr, "tavrix: unknown command '%s'\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
