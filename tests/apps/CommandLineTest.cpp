// Reading the vellora command line.
#include <gtest/gtest.h>

#include "apps/CommandLine.h"

namespace {

using cli::Command;

cli::Options parsed(const std::vector<std::string>& arguments) {
  auto result = cli::parse(arguments);
  if (auto* error = std::get_if<cli::UsageError>(&result)) {
    ADD_FAILURE() << error->message;
    return {};
  }
  return std::get<cli::Options>(result);
}

std::string refusal(const std::vector<std::string>& arguments) {
  auto result = cli::parse(arguments);
  auto* error = std::get_if<cli::UsageError>(&result);
  return error ? error->message : std::string("(accepted)");
}

TEST(CommandLine, PrintWithEveryOption) {
  const cli::Options options = parsed({"print", "orders.json", "--pdf", "out/orders.pdf", "--set", "Zoom=80",
                                       "--set", "TopTitle=Orders = week 3", "--report", "r.json"});
  EXPECT_EQ(options.command, Command::Print);
  EXPECT_EQ(options.form, "orders.json");
  EXPECT_EQ(options.pdf, std::filesystem::path("out/orders.pdf"));
  EXPECT_EQ(options.report, std::filesystem::path("r.json"));
  ASSERT_EQ(options.settings.size(), 2u);
  EXPECT_EQ(options.settings[0], (std::pair<std::string, std::string>{"Zoom", "80"}));
  // Only the first "=" separates the name from the value.
  EXPECT_EQ(options.settings[1], (std::pair<std::string, std::string>{"TopTitle", "Orders = week 3"}));
}

TEST(CommandLine, PreviewWindowAndPictures) {
  const cli::Options options = parsed({"preview", "--window", "orders.json", "--png", "pages"});
  EXPECT_EQ(options.command, Command::Preview);
  EXPECT_TRUE(options.window);
  EXPECT_EQ(options.png, std::filesystem::path("pages"));
}

TEST(CommandLine, HelpAndPrinters) {
  EXPECT_EQ(parsed({"--help"}).command, Command::Help);
  EXPECT_EQ(parsed({"print", "--help"}).command, Command::Help);
  EXPECT_EQ(parsed({"printers"}).command, Command::Printers);
  const std::string help = cli::helpText();
  for (const char* word : {"print", "preview", "printers", "--pdf", "--printer", "--png", "--window", "--set",
                           "--report", "Exit status"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST(CommandLine, RefusesWhatItCannotTake) {
  EXPECT_EQ(refusal({}), "no command given (print, preview, printers or --help)");
  EXPECT_NE(refusal({"scan", "orders.json"}), "(accepted)");
  EXPECT_EQ(refusal({"print"}), "no form file given");
  EXPECT_EQ(refusal({"print", "a.json", "b.json"}), "more than one form file given: b.json");
  EXPECT_EQ(refusal({"print", "a.json", "--pdf"}), "--pdf needs a value");
  EXPECT_EQ(refusal({"print", "a.json", "--set", "Zoom"}), "--set takes PROPERTY=VALUE, not \"Zoom\"");
  EXPECT_EQ(refusal({"print", "a.json", "--set", "=80"}), "--set takes PROPERTY=VALUE, not \"=80\"");
  EXPECT_EQ(refusal({"print", "a.json", "--pdf", "x.pdf", "--png", "dir"}),
            "give at most one of --pdf, --printer and --png");
  EXPECT_EQ(refusal({"print", "a.json", "--window"}), "--window belongs to preview");
  EXPECT_EQ(refusal({"preview", "a.json", "--pdf", "x.pdf"}), "--pdf and --printer belong to print");
  EXPECT_EQ(refusal({"printers", "a.json"}), "printers takes no form and no options");
  EXPECT_EQ(refusal({"print", "a.json", "--colour"}), "unknown option --colour");
}

}  // namespace
