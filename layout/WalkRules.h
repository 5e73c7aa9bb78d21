#pragma once
// The rules of the form walk that the page-break code and the tests share.
#include <cstdint>
#include <string>
#include <vector>

#include "host/Object.h"
#include "layout/PrintJob.h"

struct VelloraProperties;

// Container chains deeper than this are taken as ending at the form.
inline constexpr int maxContainerDepth = 64;

// FirstPageNo of a job: the page number of the first page kept, plus one.
// FromPage 0 and 1 both mean the first page.
[[nodiscard]] std::int32_t FirstPageNumber(std::int16_t FromPage);

// The stop button's caption: ClickToStop, an empty line, then PagesDef and
// the page number as given ("1" on the first page, Str(n) with its sign
// blank on later pages).
[[nodiscard]] std::string StopCaption(const VelloraProperties& properties, const std::string& pageNumber);

// The zoom that returns a resizer with this factor to its design scale
// (100 / factor in percent); a factor of 0 raises error 11.
[[nodiscard]] double ResizerDesignZoom(double factor);

// Grids and list views: the controls below which a following control is
// marked "Down".
[[nodiscard]] bool IsTable(const host::Object& ctl);

// The record's Extent: the height of grids, list views (unless side by side)
// and multi-line text boxes, minus the height of a shape, 0 otherwise.
[[nodiscard]] std::int32_t RecordExtent(const host::Object& ctl, bool SideBySide);

// Inserts a record keeping the list sorted by Top; equal tops keep the order
// of insertion.
void InsertByTop(std::vector<CtlRecord>& list, CtlRecord record);

// The advance pass: each record's vertical step from its predecessor, and the
// "Down" mark of a control that lies below a preceding table.
void ComputeAdvances(std::vector<CtlRecord>& list, bool SideBySide);
