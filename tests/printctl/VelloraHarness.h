#pragma once
// A host form with a print control on it, in a headless runtime whose only
// printer is an in-memory raster printer; the control's events are logged.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/Picture.h"
#include "host/model/Control.h"
#include "printctl/Vellora.h"

namespace velloratest {

struct Harness {
  testsupport::HeadlessRuntime env;
  std::shared_ptr<host::Form> form;
  std::shared_ptr<Vellora> control;
  // "BeforePrint 1", "Page 3", "AfterPrint", in the order raised.
  std::vector<std::string> events;
  std::function<void(bool& Cancel)> onBeforePrint;
  std::function<void(int PageNumber)> onPage;

  explicit Harness(double dotsPerInch = 150, bool failToStart = false)
      : env(testsupport::makeHeadless(dotsPerInch, failToStart)) {
    form = host::Form::create("Form1");
    control = std::make_shared<Vellora>();
    form->adopt(control);
    control->set("Name", host::Value("Vellora1"));
    control->InitProperties();
    control->events().BeforePrint = [this](bool& Cancel, std::int16_t& Mode) {
      events.push_back("BeforePrint " + std::to_string(Mode));
      if (onBeforePrint) onBeforePrint(Cancel);
    };
    control->events().Page = [this](std::int32_t& PageNumber) {
      events.push_back("Page " + std::to_string(PageNumber));
      if (onPage) onPage(PageNumber);
    };
    control->events().AfterPrint = [this] { events.push_back("AfterPrint"); };
  }
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // A control of a built-in family with the given properties (twips).
  host::ObjectRef add(const std::string& type, const std::string& name,
                      const std::vector<std::pair<std::string, host::Value>>& properties = {},
                      const host::ObjectRef& container = nullptr) {
    host::ObjectRef made = form->addControl(type, name, container);
    for (const auto& [property, value] : properties) made->set(property, value);
    return made;
  }

  // A multi-line text box of `lines` numbered lines ("Line 001", ...).
  host::ObjectRef addNotes(int lines, std::int32_t top = 600) {
    return add("TextBox", "Notes",
               {{"MultiLine", true},
                {"Text", testsupport::numberedLines(lines)},
                {"Left", 360},
                {"Top", top},
                {"Width", 6000},
                {"Height", 1500}});
  }

  [[nodiscard]] std::vector<int> pagesRaised() const {
    std::vector<int> pages;
    for (const std::string& event : events) {
      if (event.rfind("Page ", 0) == 0) pages.push_back(std::stoi(event.substr(5)));
    }
    return pages;
  }
  [[nodiscard]] int count(const std::string& event) const {
    int n = 0;
    for (const std::string& e : events) n += e == event ? 1 : 0;
    return n;
  }

  // The pictures of the preview's stored pages.
  [[nodiscard]] std::vector<host::Picture> previewPages() const {
    std::vector<host::Picture> pages;
    for (const auto& surface : control->job().PageStore) {
      if (surface && surface->isReady()) pages.push_back(surface->dc()->picture());
    }
    return pages;
  }
};

// True when both pictures have the same size and the same pixels.
[[nodiscard]] inline bool samePixels(const host::Picture& a, const host::Picture& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (!(a.pixel(x, y) == b.pixel(x, y))) return false;
    }
  }
  return true;
}

// Pixels that are not white.
[[nodiscard]] inline long inkedPixels(const host::Picture& picture) {
  long inked = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) inked += picture.pixel(x, y) == host::Rgb::white ? 0 : 1;
  }
  return inked;
}

}  // namespace velloratest
