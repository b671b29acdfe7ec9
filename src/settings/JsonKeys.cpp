#include "JsonKeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace {
// Walks a document already known to be valid JSON; anything unexpected ends
// the walk without a finding.
class Scanner {
  public:
    explicit Scanner(const QByteArray &json) : p_(json.constData()), end_(p_ + json.size()) {
        if (json.startsWith("\xEF\xBB\xBF"))
            p_ += 3;
    }

    std::vector<JsonKeys::Repeat> run() {
        value();
        return found_;
    }

  private:
    bool at(char c) const { return p_ < end_ && *p_ == c; }
    void stop() { p_ = end_; }

    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r'))
            ++p_;
    }

    void value() {
        skipSpace();
        if (at('{') || at('[')) {
            members(*p_ == '{');
        } else if (at('"')) {
            string();
        } else {
            // A number, true, false or null.
            while (p_ < end_ && !QByteArrayView(",]} \t\n\r").contains(*p_))
                ++p_;
        }
    }

    // An object's members or an array's elements, from the opening bracket
    // to past the closing one.
    void members(bool keyed) {
        const char close = keyed ? '}' : ']';
        ++p_;
        skipSpace();
        if (at(close)) {
            ++p_;
            return;
        }
        QSet<QString> seen;
        for (int index = 0; p_ < end_; ++index) {
            JsonKeys::Step step{QString(), index};
            if (keyed) {
                skipSpace();
                if (!at('"'))
                    return stop();
                step = {string()};
                if (seen.contains(step.key))
                    found_.push_back({path_, step.key});
                seen.insert(step.key);
                skipSpace();
                if (!at(':'))
                    return stop();
                ++p_;
            }
            path_.push_back(step);
            value();
            path_.pop_back();
            skipSpace();
            if (at(','))
                ++p_;
            else
                return at(close) ? void(++p_) : stop();
        }
    }

    // At the opening quote; leaves the text after the closing one. Names
    // compare as decoded, so the quoted text is handed to the JSON reader.
    QString string() {
        const char *start = p_++;
        while (p_ < end_ && *p_ != '"')
            p_ += (*p_ == '\\' && end_ - p_ > 1) ? 2 : 1;
        if (p_ >= end_)
            return stop(), QString();
        ++p_;
        const QByteArray quoted = "[" + QByteArray(start, p_ - start) + "]";
        return QJsonDocument::fromJson(quoted).array().at(0).toString();
    }

    const char *p_;
    const char *end_;
    std::vector<JsonKeys::Step> path_;
    std::vector<JsonKeys::Repeat> found_;
};
} // namespace

std::vector<JsonKeys::Repeat> JsonKeys::repeats(const QByteArray &json) {
    return Scanner(json).run();
}
