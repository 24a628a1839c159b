#pragma once
// The masked edit box of dates, codes, rates and amounts. EditMask governs
// what may be typed; the text is always shown formatted; leaving the box (and
// Enter after a change) validates it, and an invalid entry keeps the focus and
// raises EDBEditError.

#include <QColor>
#include <QLineEdit>
#include <QList>
#include <QString>

#include <functional>
#include <stdexcept>

namespace varnex {

struct RegionalFormats;

// An edit mask: "mask;saveLiterals;blank". Logic only, no widget.
class EditMask {
public:
    enum class Case { None, Upper, Lower };
    struct Position {
        bool literal = false;
        QChar ch; // the literal, or the mask character ("0", "9", "#", "L", ...)
        Case caseMode = Case::None;
    };

    EditMask() = default;
    // "/" and ":" become the date and time separators of the given formats.
    static EditMask parse(const QString& editMask, const RegionalFormats& formats);
    static EditMask parse(const QString& editMask); // with the process-wide formats

    bool isEmpty() const { return m_positions.isEmpty(); }
    // Length of the formatted text: the MaxLength of a masked box.
    int length() const { return int(m_positions.size()); }
    bool saveLiterals() const { return m_saveLiterals; }
    QChar blank() const { return m_blank; }
    // "!": a short value fills the box from the right (leading blanks).
    bool leadingBlanks() const { return m_leadingBlanks; }
    const QList<Position>& positions() const { return m_positions; }

    bool isLiteral(int pos) const { return pos >= 0 && pos < length() && m_positions[pos].literal; }
    bool isRequired(int pos) const;
    // Whether a typed character fits the mask character at pos.
    bool accepts(int pos, QChar c) const;
    // The character as stored at pos (case conversion).
    QChar convert(int pos, QChar c) const;
    // The first input position at or after / before pos; length() / -1 when none.
    int nextInput(int pos) const;
    int previousInput(int pos) const;

    // Blanks and literals.
    QString emptyText() const;
    // Loads a value (with or without literals, or any text) into the mask.
    // Characters that fit fill the positions in order (from the right with
    // "!"); a literal in the value moves on to that literal, leaving the
    // positions before it blank; characters that fit nowhere are dropped.
    QString format(const QString& value) const;
    // Whether a shown text fits the mask as it stands.
    bool conforms(const QString& shown) const;
    // The value of a shown text: blanks read as spaces; literals only when
    // saveLiterals.
    QString value(const QString& shown) const;
    // First position that makes the text invalid: a required position holding
    // the blank, or a space where the mask character is not "C"; -1 when valid.
    int firstInvalid(const QString& shown) const;

private:
    QList<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = QLatin1Char('_');
    bool m_leadingBlanks = false;
};

class EDBEditError : public std::runtime_error {
public:
    EDBEditError(const QString& message, int position);
    int position() const { return m_position; }
    static QString standardMessage();

private:
    int m_position;
};

class TVarnexMaskEdit;
// May change the value and the verdict.
using TValidateEvent = std::function<void(TVarnexMaskEdit* sender, QString& value, bool& valid)>;

class TVarnexMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TVarnexMaskEdit(QWidget* owner = nullptr);

    QString EditMask() const { return m_maskText; }
    void setEditMask(const QString& editMask);
    const varnex::EditMask& mask() const { return m_mask; }
    bool isMasked() const { return !m_mask.isEmpty(); }

    // The value: the shown text, without literals when the mask says so.
    QString Text() const;
    void setText(const QString& value); // hides QLineEdit::setText: a value goes through the mask
    // The text as shown, blanks included.
    QString EditText() const { return QLineEdit::text(); }

    // Fixed by the mask while one is set.
    void setMaxLength(int length);

    TValidateEvent OnValidate;

    QColor OnEnterColor() const { return m_onEnterColor; }
    void setOnEnterColor(const QColor& color) { m_onEnterColor = color; }
    QColor OnExitColor() const { return m_onExitColor; }
    void setOnExitColor(const QColor& color) { m_onExitColor = color; }

    // Validates now: true when valid; otherwise the caret goes to the first
    // offending position, the box takes the focus and EDBEditError is thrown.
    bool ValidateEdit();

    static QColor defaultEnterColor() { return QColor(0x00, 0x20, 0x20); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Validation from an event: the error goes to the application's exception event.
    bool validateFromEvent();
    void showMasked(const QString& shown, int caret, bool userEdit);
    bool typeChar(QString& shown, int& caret, QChar c);
    void clearRange(QString& shown, int from, int to) const;
    void normalizeAfterChange();
    void pasteText(const QString& text);

    QString m_maskText;
    varnex::EditMask m_mask;
    QString m_enterText;
    QColor m_onEnterColor = defaultEnterColor();
    QColor m_onExitColor;
    bool m_normalizing = false;
    bool m_focusLeftWithWindow = false;
};

} // namespace varnex
