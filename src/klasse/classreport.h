#pragma once

#include <QString>

#include <vector>

#include "kit/progressreport.h"

class QPagedPaintDevice;

// A child's page for a parents' evening, on paper or as a PDF: the child's
// name and class, the summary a family's progress window shows, both grids
// of the small tables coloured by how secure each fact is, and the last
// drills. One page per child, scaled down to fit where it would not.
struct ChildPage {
    QString name;
    ProgressReport report;
};

// The pages as HTML, for one child (also what a test reads back).
QString ChildPageHtml(const QString& className, const ChildPage& page);

// Paints the pages onto device (a QPrinter or a QPdfWriter), one each;
// false when the device could not be painted on.
bool PaintChildPages(QPagedPaintDevice& device, const QString& className,
                     const std::vector<ChildPage>& pages);
