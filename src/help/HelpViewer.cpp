#include "HelpViewer.h"

#include "NativeName.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

namespace {

const QString Caption = QStringLiteral("Quillet ヘルプ");
const QString Back = QStringLiteral("戻る");
const QString Forward = QStringLiteral("進む");
const QString Home = QStringLiteral("ホーム");
const QString NameContents = QStringLiteral("目次");
const QString NamePage = QStringLiteral("ページ");
const QString NameToolbar = QStringLiteral("ツールバー");
const QString CannotOpen = QStringLiteral("ヘルプファイルを開けません");
const QString Scheme = QStringLiteral("chm");

// A page of the file as the browser names it: "chm:/index.html".
QUrl pageUrl(QString path)
{
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    QUrl url;
    url.setScheme(Scheme);
    const qsizetype hash = path.indexOf(u'#');
    url.setPath(hash < 0 ? path : path.left(hash));
    if (hash >= 0)
        url.setFragment(path.mid(hash + 1));
    return url;
}

// Reads the pages, style sheets and pictures of the file, and nothing from anywhere else.
class PageBrowser final : public QTextBrowser {
public:
    PageBrowser(const ChmFile& chm, QWidget* parent)
        : QTextBrowser(parent)
        , m_chm(chm)
    {
    }

    QVariant loadResource(int type, const QUrl& name) override
    {
        if (name.scheme() != Scheme)
            return {};
        const std::optional<QByteArray> bytes = m_chm.read(name.path());
        if (!bytes)
            return {};
        if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
            return ChmTables::decodeHtml(*bytes);
        return *bytes;
    }

private:
    const ChmFile& m_chm;
};

} // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(Caption);

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("contents"));
    m_contents->setAccessibleName(NameContents);
    m_contents->setHeaderHidden(true);
    m_contents->setColumnCount(1);
    m_contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_contents->header()->setStretchLastSection(false);

    m_page = new PageBrowser(m_chm, this);
    m_page->setObjectName(QStringLiteral("page"));
    m_page->setAccessibleName(NamePage);
    m_page->setOpenLinks(false);
    m_page->setLineWrapMode(QTextEdit::WidgetWidth);

    m_split = new QSplitter(this);
    m_split->addWidget(m_contents);
    m_split->addWidget(m_page);
    m_split->setStretchFactor(1, 1);
    m_split->setChildrenCollapsible(false);
    setCentralWidget(m_split);

    auto* bar = addToolBar(NameToolbar);
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->toggleViewAction()->setEnabled(false);
    m_back =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), Back, m_page, &QTextBrowser::backward);
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), Forward, m_page,
                               &QTextBrowser::forward);
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    m_home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), Home, this,
                            [this] { showPage(m_chm.system().defaultTopic); });
    m_home->setEnabled(false);

    connect(m_page, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_page, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_page, &QTextBrowser::anchorClicked, this, &HelpViewer::followLink);
    connect(m_page, &QTextBrowser::sourceChanged, this, &HelpViewer::pageChanged);
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (const QString local = item->data(0, Qt::UserRole).toString(); !local.isEmpty())
            showPage(local);
    });
    connect(m_contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item && !item->data(0, Qt::UserRole).toString().isEmpty())
            showPage(item->data(0, Qt::UserRole).toString());
    });

    // About fifty Japanese characters to a line beside the contents, and forty lines,
    // within the screen.
    const QFontMetrics fm(font());
    QSize size(fm.horizontalAdvance(QString(50, QChar(0x3042))) + 240, fm.lineSpacing() * 40);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

bool HelpViewer::openFile(const QString& path, quint32 topic)
{
    QString reason;
    if (!m_chm.open(path, &reason)) {
        showFailure(path, reason);
        return false;
    }
    if (!m_chm.system().title.isEmpty())
        setWindowTitle(m_chm.system().title);

    const QSignalBlocker quiet(m_contents);
    QList<QTreeWidgetItem*> parents;
    for (const ChmTables::Entry& e : m_chm.contents()) {
        const int depth = qMin(e.depth, int(parents.size()));
        parents.resize(depth);
        auto* item =
            parents.isEmpty() ? new QTreeWidgetItem(m_contents) : new QTreeWidgetItem(parents.last());
        item->setText(0, e.name);
        item->setToolTip(0, e.name);
        item->setData(0, Qt::UserRole, e.local);
        parents.append(item);
    }
    m_contents->expandAll();
    // A flat list needs no room for branches.
    bool nested = false;
    for (int i = 0; i < m_contents->topLevelItemCount() && !nested; ++i)
        nested = m_contents->topLevelItem(i)->childCount() > 0;
    m_contents->setRootIsDecorated(nested);
    fitContents();

    QString first = topic ? m_chm.topic(topic) : QString();
    if (first.isEmpty() || !m_chm.read(pageUrl(first).path()))
        first = m_chm.system().defaultTopic;
    if (first.isEmpty() && m_contents->topLevelItemCount() > 0)
        first = m_contents->topLevelItem(0)->data(0, Qt::UserRole).toString();
    m_home->setEnabled(!m_chm.system().defaultTopic.isEmpty());
    showPage(first);
    return true;
}

QString HelpViewer::page() const
{
    return m_page->source().path();
}

void HelpViewer::showPage(const QString& path)
{
    const QUrl url = pageUrl(path);
    if (url != m_page->source())
        m_page->setSource(url, QTextDocument::HtmlResource);
}

void HelpViewer::followLink(const QUrl& url)
{
    if (url.scheme() == Scheme) {
        m_page->setSource(url, QTextDocument::HtmlResource);
        return;
    }
    // Addresses outside the file go to the desktop's browser or mail program.
    static const QStringList outside{QStringLiteral("http"), QStringLiteral("https"),
                                     QStringLiteral("mailto")};
    if (outside.contains(url.scheme().toLower()))
        QDesktopServices::openUrl(url);
}

void HelpViewer::pageChanged(const QUrl& url)
{
    // The contents follow the page, however it was reached.
    const QString path = url.path();
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        if (pageUrl((*it)->data(0, Qt::UserRole).toString()).path() == path) {
            const QSignalBlocker quiet(m_contents);
            m_contents->setCurrentItem(*it);
            m_contents->scrollToItem(*it);
            break;
        }
    }
}

void HelpViewer::showFailure(const QString& path, const QString& reason)
{
    m_page->setHtml(QStringLiteral("<h3>%1</h3><p>%2</p><p>%3</p>")
                        .arg(CannotOpen.toHtmlEscaped(), NativeName::display(path).toHtmlEscaped(),
                             reason.toHtmlEscaped()));
    m_contents->hide();
}

void HelpViewer::fitContents()
{
    // Every entry whole: the contents are as wide as their widest entry needs.
    m_contents->resizeColumnToContents(0);
    const int frame = m_contents->frameWidth() * 2;
    const int scrollBar = m_contents->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_contents);
    const int wanted = m_contents->header()->sectionSize(0) + frame + scrollBar;
    m_contents->setMinimumWidth(wanted);
    m_split->setSizes({wanted, qMax(width() - wanted, wanted)});
}
