#pragma once

#include <QColor>
#include <QDialog>

#include <functional>
#include <memory>

#include "base/textstyle.h"

class CProfile;
namespace Ui {
class CFontChooser;
}

// The typeface, style, size, effects and colour of one text style. It starts
// from a TextStyle, offers every size from the smallest to the largest given
// with none selected, and shows a sample in the choice as the drill will draw
// it (the size as the height of a line of text in pixels, the face the drill
// will use). A typeface that is not installed stays in the list under its
// stored name.
class CFontChooser : public QDialog {
    Q_OBJECT

public:
    CFontChooser(const TextStyle& start, int smallestSize, int largestSize, QWidget* parent = nullptr);
    ~CFontChooser() override;

    // The style the dialog shows; its height is the selected size, or the
    // starting height while no size is selected. The width is kept as started.
    TextStyle Chosen() const;
    bool SizeChosen() const;

    bool SelectFamily(const QString& family);
    void SelectStyle(bool bold, bool italic);
    // A colour outside the standard sixteen becomes the custom entry.
    void SelectColour(const QColor& colour);

    // Stores the choice when OK is pressed; when it returns false the
    // dialog stays open.
    using Store = std::function<bool(const TextStyle& chosen, bool sizeChosen)>;
    void SetStore(Store store);
    void accept() override;

private:
    void fillFamilies(const QString& storedFamily);
    void fillColours();
    void onColourActivated(int index);
    void askForColour();
    void updateSample();

    std::unique_ptr<Ui::CFontChooser> m_ui;
    TextStyle m_start;
    Store m_store;
    int m_colourIndex = 0; // the entry shown before "Andere…" was picked
};

// "Großer Zeichensatz" and "Kleiner Zeichensatz": runs the font chooser on the
// style kept in the section and, on OK, writes the choice back to it in one
// write (without a size selected the stored "FontHeight" is left as it is); a
// refused write is reported and the chooser stays open. Cancel writes
// nothing. True when the user confirmed. Tests answer the chooser through
// answer instead of running it modally: it gets the open dialog and returns
// QDialog::Accepted or QDialog::Rejected.
using FontChooserAnswer = std::function<int(CFontChooser& chooser)>;
bool ChooseTextStyle(CProfile& profile, const QString& section, int defaultHeight, int largestSize,
                     QWidget* parent, const FontChooserAnswer& answer = {});
