#pragma once
// The panel that fills the launcher's main window and tiles a picture over
// its inner rectangle (inside the bevels and the border).

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace varnex {

enum TAlign { alNone = 0, alTop = 1, alBottom = 2, alLeft = 3, alRight = 4, alClient = 5 };
enum TPanelBevel { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };

class TWallpaper : public QWidget {
    Q_OBJECT
public:
    explicit TWallpaper(QWidget* owner = nullptr);

    // Setting copies the picture and repaints.
    const QImage& Wallpaper() const { return m_wallpaper; }
    void setWallpaper(const QImage& picture);

    TAlign Align() const { return m_align; }
    void setAlign(TAlign value);
    TPanelBevel BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return m_bevelInner; }
    void setBevelInner(TPanelBevel value);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int value); // at least 1
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int value); // at least 0
    bool Locked() const { return m_locked; }
    void setLocked(bool value) { m_locked = value; }
    QString Caption() const { return m_caption; }
    void setCaption(const QString& value);

    // Border plus one bevel width for each bevel that is drawn.
    int inset() const;
    QRect innerRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyAlign();
    void watchParent();

    QImage m_wallpaper;
    TAlign m_align = alTop;
    TPanelBevel m_bevelOuter = bvRaised;
    TPanelBevel m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    bool m_locked = false;
    QString m_caption;
    QPointer<QWidget> m_watchedParent;
};

} // namespace varnex
