// The CUPS spooler through the CUPS library: queues, their capabilities, job
// submission with its answer checked, and job attributes read back.
#include "host/CupsSpooler.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "host/HostError.h"
#include "host/printers/PaperSizes.h"

namespace host::cups {

namespace {

constexpr double twipsPerHundredthMillimetre = 1440.0 / 2540.0;

// The library's allocations, released by their own calls.
struct DestsDeleter {
  int count;
  void operator()(cups_dest_t* dests) const { cupsFreeDests(count, dests); }
};
struct DestDeleter {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct InfoDeleter {
  void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using DestPtr = std::unique_ptr<cups_dest_t, DestDeleter>;
using InfoPtr = std::unique_ptr<cups_dinfo_t, InfoDeleter>;
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

Queue queueOf(const cups_dest_t& dest) {
  const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest.num_options, dest.options);
  return {dest.name, dest.is_default != 0, accepting == nullptr || std::string_view(accepting) != "false"};
}

DestPtr namedDest(const std::string& queue) {
  return DestPtr(cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr));
}

// A queue with what it supports.
struct Destination {
  DestPtr dest;
  InfoPtr info;
  [[nodiscard]] ipp_attribute_t* supported(const char* option) const {
    return cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), option);
  }
  [[nodiscard]] bool takes(const char* option, const std::string& value) const {
    return cupsCheckDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), option, value.c_str()) != 0;
  }
};

std::optional<Destination> destination(const std::string& queue) {
  Destination found{namedDest(queue), nullptr};
  if (!found.dest) return std::nullopt;
  found.info.reset(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, found.dest.get()));
  if (!found.info) return std::nullopt;
  return found;
}

// The queue's media names with the paper code each stands for; media of no
// known code are left out.
std::vector<std::pair<int, std::string>> knownMedia(const Destination& destination) {
  std::vector<std::pair<int, std::string>> media;
  ipp_attribute_t* supported = destination.supported(CUPS_MEDIA);
  for (int index = 0; supported != nullptr && index < ippGetCount(supported); ++index) {
    const char* name = ippGetString(supported, index, nullptr);
    if (name == nullptr || std::string_view(name).starts_with("custom_m")) continue;  // custom_min_/custom_max_
    const pwg_media_t* size = pwgMediaForPWG(name);
    if (size == nullptr) continue;
    const Size twips{static_cast<int>(std::lround(size->width * twipsPerHundredthMillimetre)),
                     static_cast<int>(std::lround(size->length * twipsPerHundredthMillimetre))};
    const std::optional<int> code = paperOfSheet(twips);
    if (!code) continue;
    const bool seen = std::any_of(media.begin(), media.end(), [&](const auto& known) { return known.first == *code; });
    if (!seen) media.emplace_back(*code, name);
  }
  return media;
}

std::optional<std::string> mediaName(const Destination& destination, int paperSize) {
  for (const auto& [code, name] : knownMedia(destination))
    if (code == paperSize) return name;
  return std::nullopt;
}

int twipsOf(int hundredthsOfMillimetre) {
  return static_cast<int>(std::lround(hundredthsOfMillimetre * twipsPerHundredthMillimetre));
}

double defaultDotsPerInch(const Destination& destination) {
  ipp_attribute_t* resolution =
      cupsFindDestDefault(CUPS_HTTP_DEFAULT, destination.dest.get(), destination.info.get(), "printer-resolution");
  if (resolution == nullptr) return 600;
  int y = 0;
  ipp_res_t units = IPP_RES_PER_INCH;
  int x = ippGetResolution(resolution, 0, &y, &units);
  if (units == IPP_RES_PER_CM) x = static_cast<int>(std::lround(x * 2.54));
  return x >= 72 && x <= 4800 ? x : 600;
}

std::string sidesOf(int duplex) {
  switch (duplex) {
    case 2: return CUPS_SIDES_TWO_SIDED_LANDSCAPE;  // short edge: a horizontal page turn
    case 3: return CUPS_SIDES_TWO_SIDED_PORTRAIT;   // long edge: a vertical page turn
    default: return CUPS_SIDES_ONE_SIDED;
  }
}

// The classic quality codes (-1 draft .. -4 high) as IPP print-quality.
std::optional<std::string> qualityOf(int printQuality) {
  switch (printQuality) {
    case -1:
    case -2: return "3";
    case -3: return "4";
    case -4: return "5";
    default: return std::nullopt;
  }
}

class Options {
 public:
  Options() = default;
  Options(const Options&) = delete;
  Options& operator=(const Options&) = delete;
  ~Options() { cupsFreeOptions(count_, options_); }
  void add(const char* name, const std::string& value) { count_ = cupsAddOption(name, value.c_str(), count_, &options_); }
  [[nodiscard]] int count() const { return count_; }
  [[nodiscard]] cups_option_t* options() const { return options_; }

 private:
  int count_ = 0;
  cups_option_t* options_ = nullptr;
};

// Each setting becomes its job option only where the queue takes it: a
// setting the device refuses is left out and the others go on.
void addJobOptions(Options& options, const Destination& destination, const PrinterDevice::Settings& settings) {
  const auto offer = [&](const char* name, const std::string& value) {
    if (destination.takes(name, value)) options.add(name, value);
  };
  offer(CUPS_COPIES, std::to_string(std::max(1, settings.copies)));
  offer(CUPS_ORIENTATION, settings.orientation == 2 ? CUPS_ORIENTATION_LANDSCAPE : CUPS_ORIENTATION_PORTRAIT);
  if (const auto media = mediaName(destination, settings.paperSize)) offer(CUPS_MEDIA, *media);
  offer(CUPS_PRINT_COLOR_MODE, settings.colorMode == 1 ? CUPS_PRINT_COLOR_MODE_MONOCHROME : CUPS_PRINT_COLOR_MODE_COLOR);
  offer(CUPS_SIDES, sidesOf(settings.duplex));
  if (const auto quality = qualityOf(settings.printQuality)) offer(CUPS_PRINT_QUALITY, *quality);
}

std::string stringAttribute(ipp_t* response, const char* name) {
  ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
  if (attribute == nullptr) return {};
  if (ippGetValueTag(attribute) == IPP_TAG_BEGIN_COLLECTION) return {};
  char text[256];
  ippAttributeString(attribute, text, sizeof text);
  return text;
}

int integerAttribute(ipp_t* response, const char* name, int fallback) {
  ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
  return attribute == nullptr ? fallback : ippGetInteger(attribute, 0);
}

}  // namespace

std::vector<Queue> queues() {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  const std::unique_ptr<cups_dest_t, DestsDeleter> owned(dests, DestsDeleter{count});
  std::vector<Queue> found;
  for (int index = 0; index < count; ++index) {
    // An instance (queue/instance) is a set of saved options, not a queue.
    if (dests[index].instance == nullptr) found.push_back(queueOf(dests[index]));
  }
  return found;
}

std::optional<Queue> findQueue(const std::string& name) {
  const DestPtr dest = namedDest(name);
  if (!dest) return std::nullopt;
  return queueOf(*dest);
}

std::optional<QueueInfo> queueInfo(const std::string& queue) {
  const std::optional<Destination> found = destination(queue);
  if (!found) return std::nullopt;
  QueueInfo info;
  info.dotsPerInch = defaultDotsPerInch(*found);
  info.capabilities.color = found->takes(CUPS_PRINT_COLOR_MODE, CUPS_PRINT_COLOR_MODE_COLOR);
  info.capabilities.duplex = found->takes(CUPS_SIDES, CUPS_SIDES_TWO_SIDED_PORTRAIT) ||
                             found->takes(CUPS_SIDES, CUPS_SIDES_TWO_SIDED_LANDSCAPE);
  if (ipp_attribute_t* copies = found->supported(CUPS_COPIES); copies != nullptr && ippGetValueTag(copies) == IPP_TAG_RANGE) {
    int upper = 1;
    (void)ippGetRange(copies, 0, &upper);
    info.capabilities.maxCopies = std::max(1, upper);
  } else {
    info.capabilities.maxCopies = 1;  // a queue that names no copies prints one
  }
  for (const auto& [code, name] : knownMedia(*found)) {
    info.capabilities.paperSizes.push_back(code);
    QueueInfo::Sheet sheet{code};
    cups_size_t size{};
    if (cupsGetDestMediaByName(CUPS_HTTP_DEFAULT, found->dest.get(), found->info.get(), name.c_str(),
                               CUPS_MEDIA_FLAGS_DEFAULT, &size)) {
      sheet = {code, twipsOf(size.left), twipsOf(size.top), twipsOf(size.right), twipsOf(size.bottom)};
    }
    info.sheets.push_back(sheet);
  }
  std::sort(info.capabilities.paperSizes.begin(), info.capabilities.paperSizes.end());
  return info;
}

int submitPdf(const std::string& queue, const std::filesystem::path& pdf, const std::string& title,
              const PrinterDevice::Settings& settings) {
  const std::optional<Destination> found = destination(queue);
  if (!found) raise(err::PrinterError, "Printer error: no print queue " + queue);
  Options options;
  addJobOptions(options, *found, settings);
  const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), pdf.c_str(), title.c_str(), options.count(),
                                 options.options());
  if (job == 0) raise(err::PrinterError, "Printer error: " + queue + " refused the job: " + cupsLastErrorString());
  return job;
}

std::optional<JobAttributes> jobAttributes(int jobId) {
  ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
  char uri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", jobId);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  static const char* const wanted[] = {"job-id", "job-printer-uri", "copies", "orientation-requested",
                                       "media", "print-color-mode", "sides", "job-state"};
  ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                static_cast<int>(std::size(wanted)), nullptr, wanted);
  const IppPtr response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));  // takes the request
  if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_EVENTS_COMPLETE) return std::nullopt;

  JobAttributes job;
  job.id = integerAttribute(response.get(), "job-id", jobId);
  const std::string printerUri = stringAttribute(response.get(), "job-printer-uri");
  job.queue = printerUri.substr(printerUri.rfind('/') + 1);
  job.copies = integerAttribute(response.get(), "copies", 1);
  job.orientationRequested = integerAttribute(response.get(), "orientation-requested", 0);
  job.media = stringAttribute(response.get(), "media");
  job.colorMode = stringAttribute(response.get(), "print-color-mode");
  job.sides = stringAttribute(response.get(), "sides");
  job.state = stringAttribute(response.get(), "job-state");
  return job;
}

std::vector<int> jobIds(const std::string& queue) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
  std::vector<int> ids;
  for (int index = 0; index < count; ++index) ids.push_back(jobs[index].id);
  cupsFreeJobs(count, jobs);
  std::sort(ids.begin(), ids.end());
  return ids;
}

}  // namespace host::cups
