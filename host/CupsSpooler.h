#pragma once
// The CUPS spooler as the host's printers use it: its queues and what each
// can do, sending a finished document to a queue with its job options, and
// reading a job's attributes back. Every call asks the scheduler the CUPS
// library connects to (CUPS_SERVER, else the machine's own).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/Printer.h"

namespace host::cups {

struct Queue {
  std::string name;
  bool isDefault = false;      // the spooler's default destination
  bool acceptingJobs = true;   // false after cupsreject
};

// The queues the scheduler offers; none when no scheduler answers.
[[nodiscard]] std::vector<Queue> queues();
// One queue by its exact name; nothing when there is no such queue.
[[nodiscard]] std::optional<Queue> findQueue(const std::string& name);

// What a queue can do, in the host's terms (paper codes, colour, duplex,
// copies), with its default resolution and the printable area of each of
// its sheets.
struct QueueInfo {
  PrinterDevice::Capabilities capabilities;
  double dotsPerInch = 600;
  struct Sheet {
    int paperSize = 9;
    // Margins of the printable area, in twips.
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  std::vector<Sheet> sheets;
};
// Nothing when the queue does not exist or does not answer.
[[nodiscard]] std::optional<QueueInfo> queueInfo(const std::string& queue);

// Sends a PDF file to a queue as one job with the settings as job options
// (copies, orientation, media, colour mode, sides, quality); an option the
// queue does not take is left out. Returns the job's id; raises HostError
// 482 naming the queue and the spooler's reason when the job is refused.
int submitPdf(const std::string& queue, const std::filesystem::path& pdf, const std::string& title,
              const PrinterDevice::Settings& settings);

// A job's attributes as the spooler keeps them.
struct JobAttributes {
  int id = 0;
  std::string queue;
  int copies = 1;
  int orientationRequested = 0;  // 3 portrait, 4 landscape, 0 not given
  std::string media;
  std::string colorMode;
  std::string sides;
  std::string state;  // "pending", ..., "completed", "aborted"
};
// Nothing when the spooler does not know the job.
[[nodiscard]] std::optional<JobAttributes> jobAttributes(int jobId);
// The ids of every job of a queue the spooler still knows (finished ones too), oldest first.
[[nodiscard]] std::vector<int> jobIds(const std::string& queue);

}  // namespace host::cups
