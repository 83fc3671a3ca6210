#pragma once

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>
#include <QVarLengthArray>

namespace kolvar {

// A strict pull parser over UTF-8 JSON text.
//
// next() walks the text token by token and checks the grammar as it goes:
// invalid UTF-8 (also overlong forms and encoded surrogates), nesting deeper
// than the limit and anything after the top-level value are errors. Once an
// error is reported every later next() answers Token::Error.
//
// The reader only keeps a view of the text; the bytes must outlive it. It is
// cheap to copy, and a copy continues from the same place (used to come back
// to a member that had to be skipped the first time).
class JsonReader
{
public:
    enum class Token {
        None, // nothing read yet
        BeginObject,
        EndObject,
        BeginArray,
        EndArray,
        Key,     // a member name; string() holds it
        String,  // string() holds it
        Integer, // fits in qint64; integer()
        Double,  // has a fraction or exponent, or is too big for qint64; real()
        Bool,    // boolean()
        Null,
        End, // after the top-level value, only white space followed
        Error,
    };

    static constexpr int DefaultMaxDepth = 64;

    explicit JsonReader(QByteArrayView json, int maxDepth = DefaultMaxDepth);

    Token next();
    Token token() const { return m_token; }

    // Values of the current token.
    QString string() const; // Key, String
    qint64 integer() const { return m_integer; }
    double real() const { return m_token == Token::Integer ? double(m_integer) : m_real; }
    bool boolean() const { return m_bool; }

    // Decoding a Key/String token into caller-owned storage: at most
    // stringUtf16Bound() UTF-16 units are written; answers how many.
    qsizetype stringUtf16Bound() const { return m_strLen; }
    qsizetype decodeString(char16_t *dst) const;
    // The encoded bytes between the quotes (escapes not resolved).
    QByteArrayView rawString() const { return m_text.sliced(m_strBegin, m_strLen); }
    bool stringHasEscapes() const { return m_strEscapes; }
    bool stringIsAscii() const { return m_strAscii; }
    // Compares a Key/String token with an ASCII name without decoding it.
    bool stringEquals(QLatin1StringView ascii) const;

    // Reads the whole next value (scalar or subtree) into a QJsonValue.
    // Answers Undefined on error.
    QJsonValue readValue();
    // Steps over the next value; false on error.
    bool skipValue();

    int depth() const { return int(m_stack.size()); }
    bool hasError() const { return m_token == Token::Error; }
    QString errorString() const { return m_error; }
    // Byte offset of the current token (or of the error).
    qsizetype offset() const { return m_tokenBegin; }
    qsizetype textSize() const { return m_text.size(); }

    // Turns the reader into the error state with a message about the current
    // token, for callers that find the JSON valid but the content wrong.
    void setError(const QString &message);

private:
    enum class Expect : quint8 { Value, FirstKeyOrEnd, Key, Colon, FirstValueOrEnd, CommaOrEnd };

    Token fail(const QString &message, qsizetype at);
    Token readScalarOrOpen();
    Token lexString(Token kind);
    Token lexNumber();
    Token lexLiteral(QLatin1StringView word, Token kind, bool flag);
    void skipSpace();
    bool readJsonValue(QJsonValue &out, int level);

    QByteArrayView m_text;
    qsizetype m_pos = 0;
    qsizetype m_tokenBegin = 0;
    int m_maxDepth;
    Token m_token = Token::None;
    bool m_topDone = false;
    Expect m_expect = Expect::Value;
    QVarLengthArray<char, DefaultMaxDepth> m_stack; // '{' or '['

    qsizetype m_strBegin = 0;
    qsizetype m_strLen = 0;
    bool m_strEscapes = false;
    bool m_strAscii = true;
    qint64 m_integer = 0;
    double m_real = 0;
    bool m_bool = false;
    QString m_error;
};

} // namespace kolvar
