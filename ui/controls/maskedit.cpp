#include "varnex/controls/maskedit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include "varnex/application.h"
#include "varnex/regional.h"

namespace varnex {

namespace {

// A line edit cannot hold more; a longer mask is cut here.
constexpr int kMaxMaskPositions = 32767;

// Set while a box that failed validation takes the focus back, so that the
// box it takes the focus from does not validate in turn and fight for it.
bool g_reclaimingFocus = false;

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

} // namespace

// ---------------------------------------------------------------------------
// EditMask

EditMask EditMask::parse(const QString& editMask)
{
    return parse(editMask, Regional());
}

EditMask EditMask::parse(const QString& text, const RegionalFormats& formats)
{
    EditMask m;
    QString body = text;
    // The save-literals and blank fields are only looked for near the end, so
    // a ";" earlier in the mask is an ordinary literal.
    const int tailStart = qMax(0, int(text.size()) - 4);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (text[i] == QLatin1Char(';') && i >= tailStart) {
            body = text.left(i);
            const QString rest = text.mid(i + 1);
            const qsizetype second = rest.indexOf(QLatin1Char(';'));
            const QString save = second >= 0 ? rest.left(second) : rest;
            const QString blank = second >= 0 ? rest.mid(second + 1) : QString();
            m.m_saveLiterals = save != QLatin1String("0");
            if (!blank.isEmpty())
                m.m_blank = blank[0];
            break;
        }
    }

    Case mode = Case::None;
    auto literal = [&](QChar c) { m.m_positions.append(Position{true, c, Case::None}); };
    for (int i = 0; i < body.size() && m.m_positions.size() < kMaxMaskPositions; ++i) {
        const QChar c = body[i];
        switch (c.unicode()) {
        case '!': m.m_leadingBlanks = true; break;
        case '>': mode = Case::Upper; break;
        case '<':
            if (i + 1 < body.size() && body[i + 1] == QLatin1Char('>')) {
                mode = Case::None;
                ++i;
            } else {
                mode = Case::Lower;
            }
            break;
        case '\\':
            if (i + 1 < body.size())
                literal(body[++i]);
            break;
        case '0':
        case '9':
        case '#':
        case 'L':
        case 'l':
        case 'A':
        case 'a':
        case 'C':
        case 'c': m.m_positions.append(Position{false, c, mode}); break;
        case '/': literal(formats.dateSeparator); break;
        case ':': literal(formats.timeSeparator); break;
        default: literal(c); break;
        }
    }
    return m;
}

bool EditMask::isRequired(int pos) const
{
    if (pos < 0 || pos >= length() || m_positions[pos].literal)
        return false;
    const ushort c = m_positions[pos].ch.unicode();
    return c == '0' || c == 'L' || c == 'A' || c == 'C';
}

bool EditMask::accepts(int pos, QChar c) const
{
    if (pos < 0 || pos >= length() || m_positions[pos].literal)
        return false;
    switch (m_positions[pos].ch.unicode()) {
    case '0':
    case '9': return isAsciiDigit(c);
    case '#': return isAsciiDigit(c) || c == QLatin1Char(' ') || c == QLatin1Char('+') || c == QLatin1Char('-');
    case 'L':
    case 'l': return c.isLetter();
    case 'A':
    case 'a': return c.isLetter() || isAsciiDigit(c);
    case 'C':
    case 'c': return c.category() != QChar::Other_Control && !c.isNull() && !c.isSurrogate();
    default: return false;
    }
}

QChar EditMask::convert(int pos, QChar c) const
{
    if (pos < 0 || pos >= length())
        return c;
    switch (m_positions[pos].caseMode) {
    case Case::Upper: return c.toUpper();
    case Case::Lower: return c.toLower();
    case Case::None: break;
    }
    return c;
}

int EditMask::nextInput(int pos) const
{
    pos = qMax(0, pos);
    while (pos < length() && m_positions[pos].literal)
        ++pos;
    return qMin(pos, length());
}

int EditMask::previousInput(int pos) const
{
    pos = qMin(pos, length() - 1);
    while (pos >= 0 && m_positions[pos].literal)
        --pos;
    return pos;
}

QString EditMask::emptyText() const
{
    QString out;
    out.reserve(length());
    for (const Position& p : m_positions)
        out.append(p.literal ? p.ch : m_blank);
    return out;
}

QString EditMask::format(const QString& value) const
{
    QString out = emptyText();
    const int n = length();
    const int count = int(value.size());
    const int step = m_leadingBlanks ? -1 : 1;
    int p = m_leadingBlanks ? n - 1 : 0;
    int v = m_leadingBlanks ? count - 1 : 0;
    auto inValue = [&] { return v >= 0 && v < count; };
    // The literal the value would reach next, going the way we fill.
    auto upcomingLiteral = [&](int from) -> QChar {
        for (int q = from; q >= 0 && q < n; q += step)
            if (m_positions[q].literal)
                return m_positions[q].ch;
        return QChar();
    };
    for (; p >= 0 && p < n && inValue(); p += step) {
        const Position& pos = m_positions[p];
        if (pos.literal) {
            if (value[v] == pos.ch)
                v += step;
            continue;
        }
        while (inValue()) {
            const QChar c = value[v];
            if (c == m_blank || (c == QLatin1Char(' ') && !accepts(p, c))) {
                v += step; // an empty position stays empty
                break;
            }
            if (accepts(p, c)) {
                out[p] = convert(p, c);
                v += step;
                break;
            }
            const QChar literal = upcomingLiteral(p + step);
            if (!literal.isNull() && c == literal)
                break; // the value moved on to the next group: this position stays blank
            v += step; // fits nowhere here: dropped
        }
    }
    return out;
}

bool EditMask::conforms(const QString& shown) const
{
    if (shown.size() != length())
        return false;
    for (int i = 0; i < length(); ++i) {
        const Position& pos = m_positions[i];
        const QChar c = shown[i];
        if (pos.literal) {
            if (c != pos.ch)
                return false;
        } else if (c != m_blank && !(accepts(i, c) && convert(i, c) == c)) {
            return false;
        }
    }
    return true;
}

QString EditMask::value(const QString& shown) const
{
    QString out;
    for (int i = 0; i < length() && i < shown.size(); ++i) {
        const Position& pos = m_positions[i];
        if (pos.literal) {
            if (m_saveLiterals)
                out.append(shown[i]);
        } else {
            out.append(shown[i] == m_blank ? QChar(QLatin1Char(' ')) : shown[i]);
        }
    }
    return out;
}

int EditMask::firstInvalid(const QString& shown) const
{
    for (int i = 0; i < length(); ++i) {
        if (!isRequired(i))
            continue;
        const QChar c = i < shown.size() ? shown[i] : m_blank;
        if (c == m_blank || (c == QLatin1Char(' ') && m_positions[i].ch != QLatin1Char('C')))
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------------------

EDBEditError::EDBEditError(const QString& message, int position)
    : std::runtime_error(message.toStdString())
    , m_position(position)
{
}

QString EDBEditError::standardMessage()
{
    return QStringLiteral("Invalid input value: the entry is incomplete or does not match its format. "
                          "Complete it, or press Escape to restore the previous value.");
}

// ---------------------------------------------------------------------------
// TVarnexMaskEdit

TVarnexMaskEdit::TVarnexMaskEdit(QWidget* owner)
    : QLineEdit(owner)
    , m_onExitColor(palette().color(QPalette::Base))
{
    // Whatever changes the text (context-menu paste, drop, undo, input
    // methods, a plain setText) ends with a text that fits the mask.
    connect(this, &QLineEdit::textChanged, this, [this] { normalizeAfterChange(); });
}

void TVarnexMaskEdit::setEditMask(const QString& editMask)
{
    const QString value = Text();
    m_maskText = editMask;
    m_mask = varnex::EditMask::parse(editMask);
    if (isMasked()) {
        QLineEdit::setMaxLength(m_mask.length());
        m_normalizing = true;
        QLineEdit::setText(m_mask.format(value));
        m_normalizing = false;
    } else {
        QLineEdit::setMaxLength(32767);
    }
}

QString TVarnexMaskEdit::Text() const
{
    return isMasked() ? m_mask.value(QLineEdit::text()) : QLineEdit::text();
}

void TVarnexMaskEdit::setText(const QString& value)
{
    m_normalizing = true;
    QLineEdit::setText(isMasked() ? m_mask.format(value) : value);
    m_normalizing = false;
}

void TVarnexMaskEdit::setMaxLength(int length)
{
    if (!isMasked())
        QLineEdit::setMaxLength(length);
}

void TVarnexMaskEdit::normalizeAfterChange()
{
    if (!isMasked() || m_normalizing)
        return;
    const QString shown = QLineEdit::text();
    if (m_mask.conforms(shown))
        return;
    const bool modified = isModified();
    const int caret = qMin(cursorPosition(), m_mask.length());
    m_normalizing = true;
    QLineEdit::setText(m_mask.format(shown));
    setCursorPosition(caret);
    setModified(modified);
    m_normalizing = false;
}

void TVarnexMaskEdit::showMasked(const QString& shown, int caret, bool userEdit)
{
    m_normalizing = true;
    QLineEdit::setText(shown);
    setCursorPosition(qBound(0, caret, int(shown.size())));
    if (userEdit)
        setModified(true);
    m_normalizing = false;
}

void TVarnexMaskEdit::clearRange(QString& shown, int from, int to) const
{
    for (int i = qMax(0, from); i < to && i < shown.size(); ++i)
        if (!m_mask.isLiteral(i))
            shown[i] = m_mask.blank();
}

bool TVarnexMaskEdit::typeChar(QString& shown, int& caret, QChar c)
{
    const int n = m_mask.length();
    int p = caret;
    // On a literal: typing that literal steps over it.
    while (p < n && m_mask.isLiteral(p)) {
        if (m_mask.positions()[p].ch == c) {
            caret = m_mask.nextInput(p + 1);
            return true;
        }
        ++p;
    }
    if (p < n && m_mask.accepts(p, c)) {
        shown[p] = m_mask.convert(p, c);
        caret = m_mask.nextInput(p + 1);
        return true;
    }
    // The separator just skipped over automatically.
    if (caret > 0 && m_mask.isLiteral(caret - 1) && m_mask.positions()[caret - 1].ch == c)
        return true;
    // A separator typed early leaves the rest of its group blank.
    for (int q = p; q < n; ++q) {
        if (m_mask.isLiteral(q)) {
            if (m_mask.positions()[q].ch != c)
                break;
            caret = m_mask.nextInput(q + 1);
            return true;
        }
    }
    return false;
}

void TVarnexMaskEdit::pasteText(const QString& text)
{
    QString shown = m_mask.format(QLineEdit::text());
    int caret = qMin(cursorPosition(), m_mask.length());
    if (hasSelectedText()) {
        caret = selectionStart();
        clearRange(shown, caret, caret + int(selectedText().size()));
    }
    for (QChar c : text) {
        if (caret >= m_mask.length())
            break;
        typeChar(shown, caret, c); // what does not fit is left out
    }
    showMasked(shown, caret, true);
}

void TVarnexMaskEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isMasked() || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();

    if (key == Qt::Key_Escape) {
        if (isModified() || QLineEdit::text() != m_enterText) {
            showMasked(m_enterText, m_mask.nextInput(0), false);
            setModified(false);
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (isModified() && !validateFromEvent()) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }

    QString shown = QLineEdit::text();
    if (shown.size() != m_mask.length()) // cannot happen after normalising; never index past the mask
        shown = m_mask.format(shown);
    const int caret = qMin(cursorPosition(), m_mask.length());
    const bool selection = hasSelectedText();
    const int selStart = selection ? selectionStart() : caret;
    const int selEnd = selection ? selStart + int(selectedText().size()) : caret;

    if (event->matches(QKeySequence::Paste)) {
        pasteText(QApplication::clipboard()->text());
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        if (selection) {
            QApplication::clipboard()->setText(selectedText());
            clearRange(shown, selStart, selEnd);
            showMasked(shown, selStart, true);
        }
        event->accept();
        return;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        if (selection) {
            clearRange(shown, selStart, selEnd);
            showMasked(shown, selStart, true);
        } else if (key == Qt::Key_Backspace) {
            const int p = m_mask.previousInput(caret - 1);
            if (p >= 0) {
                shown[p] = m_mask.blank();
                showMasked(shown, p, true);
            }
        } else {
            const int p = m_mask.nextInput(caret);
            if (p < m_mask.length()) {
                shown[p] = m_mask.blank();
                showMasked(shown, p, true);
            }
        }
        event->accept();
        return;
    }

    const QString typed = event->text();
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
    if (!typed.isEmpty() && !command && typed[0].isPrint()) {
        int at = caret;
        if (selection) {
            clearRange(shown, selStart, selEnd);
            at = selStart;
        }
        bool changed = selection;
        for (QChar c : typed) {
            if (at >= m_mask.length() || !typeChar(shown, at, c))
                break;
            changed = true;
        }
        if (changed)
            showMasked(shown, at, true);
        event->accept();
        return;
    }

    // Moving keys: the base class moves, then the caret leaves literals behind.
    QLineEdit::keyPressEvent(event);
    if (!(event->modifiers() & Qt::ShiftModifier) && !hasSelectedText()) {
        int pos = cursorPosition();
        if (key == Qt::Key_Left) {
            while (pos > 0 && m_mask.isLiteral(pos))
                --pos;
        } else if (key == Qt::Key_Right) {
            pos = m_mask.nextInput(pos);
        }
        setCursorPosition(pos);
    }
}

void TVarnexMaskEdit::focusInEvent(QFocusEvent* event)
{
    // Coming back from a message box or a menu is not entering the box.
    const bool returning =
        m_focusLeftWithWindow
        && (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason);
    m_focusLeftWithWindow = false;
    QLineEdit::focusInEvent(event);
    if (returning || g_reclaimingFocus)
        return;
    m_enterText = QLineEdit::text();
    // Typing overwrites, so a caret left after the text would refuse every key.
    if (isMasked() && !hasSelectedText() && event->reason() != Qt::MouseFocusReason)
        setCursorPosition(m_mask.nextInput(0));
}

void TVarnexMaskEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        m_focusLeftWithWindow = true;
        return;
    }
    if (!isMasked() || g_reclaimingFocus)
        return;
    // Only a changed text is checked: a box left as it was found (or restored
    // with Escape) can always be left, so an empty required box is no trap.
    if (!isModified())
        return;
    // Validate once the focus has settled, outside the focus change itself.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus() || !isVisible())
            return;
        // Exit, cancel and search buttons (Tag 13) may be reached from a box
        // that is not valid yet; the box is checked when next left otherwise.
        const QWidget* next = QApplication::focusWidget();
        if (next && next->property("Tag").toInt() == 13)
            return;
        validateFromEvent();
    });
}

bool TVarnexMaskEdit::ValidateEdit()
{
    if (!isMasked())
        return true;
    int bad = m_mask.firstInvalid(QLineEdit::text());
    bool valid = bad < 0;
    if (OnValidate) {
        const QString before = Text();
        QString value = before;
        OnValidate(this, value, valid);
        if (value != before) {
            setText(value);
            setModified(true);
        }
        bad = m_mask.firstInvalid(QLineEdit::text());
    }
    if (valid)
        return true;
    if (bad < 0)
        bad = qMin(m_mask.nextInput(0), m_mask.length());
    g_reclaimingFocus = true;
    setFocus(Qt::OtherFocusReason);
    g_reclaimingFocus = false;
    deselect();
    setCursorPosition(bad);
    throw EDBEditError(EDBEditError::standardMessage(), bad);
}

bool TVarnexMaskEdit::validateFromEvent()
{
    try {
        return ValidateEdit();
    } catch (...) {
        // Raised from an event: the application's exception event reports it.
        HandleApplicationException(std::current_exception());
    }
    return false;
}

} // namespace varnex
