#include "JsonKeys.h"

#include <QSet>

namespace {
// Walks a document already known to be valid JSON; anything unexpected ends
// the walk without a finding.
class Scanner {
  public:
    explicit Scanner(const QByteArray &json) : p_(json.constData()), end_(p_ + json.size()) {
        if (end_ - p_ >= 3 && QByteArray(p_, 3) == "\xEF\xBB\xBF")
            p_ += 3;
    }

    std::vector<JsonKeys::Repeat> run() {
        value();
        return found_;
    }

  private:
    bool more() const { return p_ < end_; }
    void stop() { p_ = end_; }

    void skipSpace() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r'))
            ++p_;
    }

    void value() {
        skipSpace();
        if (!more())
            return;
        switch (*p_) {
        case '{':
            return object();
        case '[':
            return array();
        case '"':
            string();
            return;
        default:
            // A number, true, false or null.
            while (p_ < end_ && *p_ != ',' && *p_ != ']' && *p_ != '}' && *p_ != ' ' &&
                   *p_ != '\t' && *p_ != '\n' && *p_ != '\r')
                ++p_;
        }
    }

    void object() {
        ++p_;
        QSet<QString> seen;
        skipSpace();
        if (p_ < end_ && *p_ == '}') {
            ++p_;
            return;
        }
        while (more()) {
            skipSpace();
            if (p_ >= end_ || *p_ != '"')
                return stop();
            const QString key = string();
            if (seen.contains(key))
                found_.push_back({path_, key});
            seen.insert(key);
            skipSpace();
            if (p_ >= end_ || *p_ != ':')
                return stop();
            ++p_;
            path_.push_back({key});
            value();
            path_.pop_back();
            if (!more())
                return;
            skipSpace();
            if (p_ < end_ && *p_ == ',') {
                ++p_;
                continue;
            }
            if (p_ < end_ && *p_ == '}')
                ++p_;
            else
                stop();
            return;
        }
    }

    void array() {
        ++p_;
        skipSpace();
        if (p_ < end_ && *p_ == ']') {
            ++p_;
            return;
        }
        for (int index = 0; more(); ++index) {
            path_.push_back({QString(), index});
            value();
            path_.pop_back();
            if (!more())
                return;
            skipSpace();
            if (p_ < end_ && *p_ == ',') {
                ++p_;
                continue;
            }
            if (p_ < end_ && *p_ == ']')
                ++p_;
            else
                stop();
            return;
        }
    }

    // At the opening quote; leaves the text after the closing one.
    QString string() {
        ++p_;
        QString text;
        const char *run = p_;
        const auto flush = [&] { text += QString::fromUtf8(run, p_ - run); };
        while (p_ < end_ && *p_ != '"') {
            if (*p_ != '\\') {
                ++p_;
                continue;
            }
            flush();
            run = ++p_;
            if (p_ >= end_)
                break;
            const char c = *p_++;
            switch (c) {
            case 'b':
                text += QChar('\b');
                break;
            case 'f':
                text += QChar('\f');
                break;
            case 'n':
                text += QChar('\n');
                break;
            case 'r':
                text += QChar('\r');
                break;
            case 't':
                text += QChar('\t');
                break;
            case 'u': {
                bool ok = end_ - p_ >= 4;
                const ushort unit = ok ? QByteArray(p_, 4).toUShort(&ok, 16) : 0;
                if (!ok) {
                    stop();
                    return text;
                }
                text += QChar(unit);
                p_ += 4;
                break;
            }
            default: // '"', '\\', '/'
                text += QChar::fromLatin1(c);
            }
            run = p_;
        }
        flush();
        if (p_ < end_)
            ++p_;
        return text;
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
