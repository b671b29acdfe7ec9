#pragma once
// A name given twice within one JSON object. QJsonDocument keeps only one of
// them without a word, so a settings file that names a setting twice would
// be written with whichever it kept; this finds the repeat in the text itself.

#include <QByteArray>
#include <QString>

#include <vector>

namespace JsonKeys {
// A step from the document's top down to the object: a member's name, or an
// element's place in an array (from 0).
struct Step {
    QString key;
    int index = -1; // an array element when 0 or more
};

struct Repeat {
    std::vector<Step> path; // to the object holding the name twice
    QString key;
};

// Every name repeated within an object, in the order of the text, for a
// document QJsonDocument has already taken as valid. Names compare as
// decoded, so "a" and "\u0061" are the same name.
std::vector<Repeat> repeats(const QByteArray &json);
} // namespace JsonKeys
