#pragma once
// The pages keep their widgets' places and sizes whatever the desk's fonts:
// a button whose text would run past where its style draws it, or a panel
// whose widest reading would run past its frame, gets a smaller font instead,
// a pixel at a time.

class QAbstractButton;
class QLabel;
class QString;

namespace TextFit {
// The smallest font a shrunk text gets; one that fits no smaller stays at it.
constexpr int SmallestPixels = 9;
// Whether the button's text fits where its style draws its contents.
bool fits(const QAbstractButton *button);
// Shrinks the button's font until its text fits, no further than SmallestPixels.
void shrinkToFit(QAbstractButton *button);
// Shrinks the label's font until `widest`, the widest text it will show, fits
// inside its frame, no further than SmallestPixels.
void shrinkToFit(QLabel *label, const QString &widest);
} // namespace TextFit
