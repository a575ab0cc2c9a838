#include "toolkit/letterpad.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QToolButton>

#include <array>

namespace sorvane {

namespace {
const QString spaceCaption = QStringLiteral("Spazio");
const QString deleteCaption = QStringLiteral("Cancella");
const QString capitalsCaption = QStringLiteral("Maiuscola");

// The rows as on an Italian keyboard, the accented letters and the apostrophe below them.
constexpr std::array<const char16_t*, 4> rows{u"qwertyuiop", u"asdfghjkl", u"zxcvbnm", u"àèéìòù'"};
} // namespace

LetterPad::LetterPad(QLineEdit& field, QWidget* parent) : QWidget(parent), field_(field)
{
    setObjectName(QStringLiteral("tastiera"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    // As large as a fingertip at the font's size, which is the board's.
    const int side = fontMetrics().height() * 5 / 2;
    auto makeKey = [this, grid, side](const QString& caption, int row, int column, int span) {
        auto* key = new QToolButton(this);
        key->setText(caption);
        key->setAccessibleName(caption);
        key->setFocusPolicy(Qt::NoFocus);
        key->setMinimumSize(side * span, side);
        key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(key, row, column, 1, span);
        return key;
    };
    for (int r = 0; r < int(rows.size()); ++r) {
        const QString row = QString::fromUtf16(rows[std::size_t(r)]);
        for (int c = 0; c < row.size(); ++c) {
            QToolButton* key = makeKey(row.mid(c, 1), r, c, 1);
            if (row[c].isLetter())
                letters_.push_back(key);
            connect(key, &QToolButton::clicked, this, [this, key] { type(key->text()); });
        }
    }
    capitals_ = makeKey(capitalsCaption, int(rows.size()), 0, 3);
    capitals_->setCheckable(true);
    connect(capitals_, &QToolButton::clicked, this, [this](bool on) { setCapital(on); });
    QToolButton* space = makeKey(spaceCaption, int(rows.size()), 3, 4);
    connect(space, &QToolButton::clicked, this, [this] { type(QStringLiteral(" ")); });
    QToolButton* erase = makeKey(deleteCaption, int(rows.size()), 7, 3);
    connect(erase, &QToolButton::clicked, this, [this] {
        field_.backspace();
        followField();
    });
    connect(&field_, &QLineEdit::cursorPositionChanged, this, [this] { followField(); });
    followField();
}

QToolButton* LetterPad::key(const QString& caption) const
{
    for (QToolButton* b : findChildren<QToolButton*>()) {
        if (b->text().compare(caption, Qt::CaseInsensitive) == 0)
            return b;
    }
    return nullptr;
}

void LetterPad::type(const QString& text)
{
    field_.insert(text);
    followField();
}

// Capitals where a name's word begins: at the start and after a space or an apostrophe.
void LetterPad::followField()
{
    const int at = field_.cursorPosition();
    const QChar before = at > 0 ? field_.text().at(at - 1) : QChar(u' ');
    setCapital(before == u' ' || before == u'\'');
}

void LetterPad::setCapital(bool capital)
{
    capitals_->setChecked(capital);
    // A screen reader names each key as it shows: a capital or not.
    for (QToolButton* key : letters_) {
        key->setText(capital ? key->text().toUpper() : key->text().toLower());
        key->setAccessibleName(key->text());
    }
}

} // namespace sorvane
