#include "renderers/RendererSupport.h"

#include "host/Lang.h"
#include "host/Runtime.h"
#include "layout/Pagination.h"
#include "printctl/Vellora.h"

namespace renderers {

double scaled(const PrintJob& job, double twips) { return twips / job.TwipsPerUnit * job.LayoutFactor; }

// The preview's screen fonts come out a tenth larger than the printer's, hence
// the 1.1 on the preview page.
host::Font layoutFont(const PrintJob& job, host::Font font) {
  if (job.LayoutFactor == 1) return font;
  const double divisor = job.Printing == 1 ? 1.0 : 1.1;
  font.setSize(font.size() * job.LayoutFactor / divisor);
  return font;
}

void applyAdvance(PrintJob& job) { job.CurY = host::CLng(scaled(job, job.record().Advance) + job.CurY); }

bool wantsNewPage(const PrintJob& job, const host::Object& control) {
  return job.CtlIndex > 0 && control.get("Tag").toString() == "newpage";
}

double controlLineHeight(PrintJob& job) { return job.control.TextHeight("A"); }

void keepBelowBodyTop(PrintJob& job) {
  const double lineHeight = controlLineHeight(job);
  if (lineHeight + job.BodyTop > job.CurY) job.CurY = host::CLng(lineHeight + job.BodyTop);
}

std::int32_t colorProperty(const host::Object& control, std::string_view name) {
  return TranslateColor(control.get(name).toLong());
}

host::Object& hostForm(const PrintJob& job) {
  if (!job.HostForm) host::raise(host::err::ObjectRequired, "Object required");
  return *job.HostForm.lock();
}

void yieldToHost() { host::ui().doEvents(); }

host::Dc& printerDc() { return host::printer().hDC(); }

void setPrinterFont(const host::Font& font) {
  host::printer().setFont(font);
  printerDc().setFont(font);
}

}  // namespace renderers
