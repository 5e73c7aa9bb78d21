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

TEST(CommandLine, TheDialogIsShownOrAnsweredBeforehand) {
  cli::Options options = parsed({"print", "orders.json", "--dialog"});
  EXPECT_TRUE(options.dialog);
  EXPECT_FALSE(options.dialogAnswer);
  EXPECT_EQ(options.form, "orders.json");

  // The form may follow --dialog: it is not taken for an answer.
  options = parsed({"print", "--dialog", "orders.json"});
  EXPECT_FALSE(options.dialogAnswer);
  EXPECT_EQ(options.form, "orders.json");

  options = parsed({"print", "orders.json", "--dialog", "cancel"});
  ASSERT_TRUE(options.dialogAnswer);
  EXPECT_TRUE(options.dialogAnswer->cancel);

  options = parsed({"print", "orders.json", "--dialog",
                    "printer=Office Laser,from=2,to=4,copies=2,orientation=landscape,paper=letter,color=monochrome,"
                    "duplex=long"});
  ASSERT_TRUE(options.dialogAnswer);
  const host::PrintDialogScript& answer = *options.dialogAnswer;
  EXPECT_FALSE(answer.cancel);
  EXPECT_EQ(answer.printer, "Office Laser");
  EXPECT_EQ(answer.fromPage, 2);
  EXPECT_EQ(answer.toPage, 4);
  EXPECT_EQ(answer.copies, 2);
  EXPECT_EQ(answer.orientation, 2);
  EXPECT_EQ(answer.paperSize, 1);
  EXPECT_EQ(answer.colorMode, 1);
  EXPECT_EQ(answer.duplex, 3);

  options = parsed({"print", "orders.json", "--dialog=ok"});
  ASSERT_TRUE(options.dialogAnswer);
  EXPECT_FALSE(options.dialogAnswer->cancel);
  EXPECT_FALSE(options.dialogAnswer->copies);
}

TEST(CommandLine, RefusesDialogAnswersItCannotTake) {
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "copies=0"}), "--dialog copies=0 cannot be taken");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "orientation=sideways"}),
            "--dialog orientation=sideways cannot be taken");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "paper=Napkin"}), "--dialog paper=Napkin cannot be taken");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "from=2,,to=3"}),
            "--dialog takes cancel, ok or KEY=VALUE,..., not \"\"");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "tray=2"}),
            "--dialog has no answer tray (printer, from, to, copies, orientation, paper, color, duplex)");
  EXPECT_EQ(refusal({"preview", "a.json", "--dialog", "cancel"}), "--dialog belongs to print");
  EXPECT_EQ(refusal({"printers", "--dialog"}), "printers takes no form and no options");
}

}  // namespace
