#include "funcoes/WindowsCommandLine.h"

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

class Reader {
public:
    explicit Reader(const QString& text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : QChar();
    }
    void skipBlanks() {
        while (!atEnd() && isBlank(peek()))
            ++m_pos;
    }

    QString programName() {
        QString name;
        bool quoted = false;
        for (; !atEnd() && (quoted || !isBlank(peek())); ++m_pos) {
            if (peek() == u'"')
                quoted = !quoted;
            else
                name.append(peek());
        }
        return name;
    }

    QString argument() {
        QString argument;
        bool quoted = false;
        while (!atEnd() && (quoted || !isBlank(peek()))) {
            qsizetype slashes = 0;
            while (peek(slashes) == u'\\')
                ++slashes;
            if (peek(slashes) != u'"') {
                argument.append(QString(slashes, u'\\'));
                m_pos += slashes;
                if (!atEnd() && (quoted || !isBlank(peek())))
                    argument.append(m_text[m_pos++]);
                continue;
            }
            argument.append(QString(slashes / 2, u'\\'));
            m_pos += slashes + 1;
            if (slashes % 2 == 1) {
                argument.append(u'"');
            } else if (quoted && peek() == u'"') {
                argument.append(u'"');
                ++m_pos;
            } else {
                quoted = !quoted;
            }
        }
        return argument;
    }

private:
    const QString& m_text;
    qsizetype m_pos = 0;
};

} // namespace

QStringList WindowsCommandLine::split(const QString& commandLine) {
    Reader reader(commandLine);
    QStringList arguments{reader.programName()};
    for (reader.skipBlanks(); !reader.atEnd(); reader.skipBlanks())
        arguments.append(reader.argument());
    return arguments;
}
