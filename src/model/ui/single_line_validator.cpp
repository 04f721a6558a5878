#include "model/ui/single_line_validator.h"

#include "model/charset.h"

#include <algorithm>

QValidator::State TSingleLineValidator::validate(QString& input, int& pos) const {
    bool clean = true;
    for (QChar ch : input) {
        if (ch == u'\r' || ch == u'\n' || ch == u'\0') {
            clean = false;
        } else if (unicodeToCp1252(ch.unicode()) < 0) {
            if (policy_ == RefuseForeign)
                return Invalid;
            clean = false;
        }
    }
    if (clean)
        return Acceptable;

    QString out;
    out.reserve(input.size());
    int newPos = pos;
    for (qsizetype i = 0; i < input.size(); ++i) {
        const QChar ch = input[i];
        if (ch == u'\r' || ch == u'\n') {
            if (ch == u'\r' && i + 1 < input.size() && input[i + 1] == u'\n') {
                if (i + 1 < pos)
                    --newPos;
                ++i;
            }
            out.append(u' ');
        } else if (ch == u'\0' || unicodeToCp1252(ch.unicode()) < 0) {
            if (i < pos)
                --newPos;
        } else {
            out.append(ch);
        }
    }
    input = out;
    pos = std::clamp(newPos, 0, static_cast<int>(out.size()));
    return Acceptable;
}
