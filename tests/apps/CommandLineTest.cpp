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
  // An empty or half-written answer is refused as an answer, not taken for a second form.
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", ""}), "--dialog takes cancel, ok or KEY=VALUE,..., not \"\"");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", ",,,,"}), "--dialog takes cancel, ok or KEY=VALUE,..., not \"\"");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "from"}), "--dialog takes cancel, ok or KEY=VALUE,..., not \"from\"");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "orientation=sideways"}),
            "--dialog orientation=sideways cannot be taken");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "paper=Napkin"}), "--dialog paper=Napkin cannot be taken");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "from=2,,to=3"}),
            "--dialog takes cancel, ok or KEY=VALUE,..., not \"\"");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "tray=2"}),
            "--dialog has no answer tray (printer, from, to, copies, orientation, paper, color, duplex)");
  EXPECT_EQ(refusal({"preview", "a.json", "--dialog", "cancel"}), "--dialog belongs to print");
  EXPECT_EQ(refusal({"printers", "--dialog"}), "printers takes no form and no options");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "from=5,to=2"}),
            "--dialog from=5,to=2: FromPage must be smaller or equal to ToPage");
  EXPECT_EQ(refusal({"print", "a.json", "--dialog", "from=5,to=0"}), "(accepted)") << "to=0 is no upper limit";
}

}  // namespace

namespace {

TEST(CommandLine, ResizeKeepsItsStepsInTheOrderGiven) {
  const cli::Options options = parsed({"resize", "form.json", "--screen", "1280x1024", "--client", "800x600",
                                       "--zoom", "150", "--client", "640X480", "--out", "o.json", "--png",
                                       "f.png", "--print", "f.pdf"});
  EXPECT_EQ(options.command, Command::Resize);
  EXPECT_EQ(options.screen, (cli::PixelSize{1280, 1024}));
  ASSERT_EQ(options.steps.size(), 3u);
  EXPECT_EQ(std::get<cli::ClientStep>(options.steps[0]).client, (cli::PixelSize{800, 600}));
  EXPECT_EQ(std::get<cli::ZoomStep>(options.steps[1]).percent, 150);
  EXPECT_EQ(std::get<cli::ClientStep>(options.steps[2]).client, (cli::PixelSize{640, 480}));
  EXPECT_EQ(options.out, std::filesystem::path("o.json"));
  EXPECT_EQ(options.png, std::filesystem::path("f.png"));
  EXPECT_EQ(options.print, std::filesystem::path("f.pdf"));

  const cli::Options live = parsed({"run", "form.json", "--client", "900x600"});
  EXPECT_EQ(live.command, Command::Run);
  EXPECT_FALSE(live.screen);
  EXPECT_EQ(live.steps.size(), 1u);
  for (const char* word : {"resize", "run", "--screen", "--client", "--zoom", "--out", "--print"})
    EXPECT_NE(cli::helpText().find(word), std::string::npos) << word;
}

TEST(CommandLine, RefusesResizeOptionsWhereTheyDoNotBelong) {
  EXPECT_EQ(refusal({"resize", "form.json"}), "resize needs --screen WIDTHxHEIGHT");
  EXPECT_NE(refusal({"resize", "form.json", "--screen", "1280"}), "(accepted)");
  EXPECT_NE(refusal({"resize", "form.json", "--screen", "0x768"}), "(accepted)");
  EXPECT_NE(refusal({"resize", "form.json", "--screen", "12x-4"}), "(accepted)");
  EXPECT_NE(refusal({"resize", "form.json", "--screen", "1024x768", "--zoom", "1.5"}), "(accepted)");
  EXPECT_EQ(refusal({"resize", "form.json", "--screen", "1024x768", "--zoom", "-20"}),
            "--zoom takes a percent above 0, not -20");
  EXPECT_EQ(refusal({"resize", "form.json", "--screen", "1024x768", "--zoom", "0"}),
            "--zoom takes a percent above 0, not 0");
  EXPECT_NE(refusal({"resize", "form.json", "--screen", "1024x768", "--set", "Zoom=80"}), "(accepted)");
  EXPECT_EQ(refusal({"run", "form.json", "--zoom", "120"}), "--zoom, --out and --print belong to resize");
  EXPECT_EQ(refusal({"run", "form.json", "--print", "x.pdf"}), "--zoom, --out and --print belong to resize");
  EXPECT_EQ(refusal({"print", "form.json", "--client", "800x600"}),
            "--screen, --client, --zoom, --out and --print belong to resize and run");
  EXPECT_EQ(refusal({"printers", "--screen", "800x600"}), "printers takes no form and no options");
}

}  // namespace
