#pragma once
// vellora::PrintControl: the print control as a Qt widget. Place it on a form
// (`new vellora::PrintControl(form)`); it shows its Preview and Print picture
// buttons and prints or previews the form it sits on (the top-level widget),
// page by page: labels, fields, check boxes, group boxes, tables across as
// many pages as they take with their headers repeated, long texts line by
// line, pictures, charts and rich text, with margins, a title, a foot line
// with page numbers, a page range, copies, orientation and a scale.
//
// Every setting is a Q_PROPERTY, saved by Qt Designer in the .ui file. A
// setting refused by its checks (a FromPage after ToPage) keeps its old value
// and says why in a message box over the form (collected, not shown, when
// there is no display).
#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <memory>

namespace vellora {

class PrintControl : public QWidget {
  Q_OBJECT
  // Output
  Q_PROPERTY(int color READ color WRITE setColor)                       // 0 colour, 1 monochrome
  Q_PROPERTY(int orientation READ orientation WRITE setOrientation)     // 0 portrait, 1 landscape
  Q_PROPERTY(int zoom READ zoom WRITE setZoom)                          // percent, 26 to 249
  Q_PROPERTY(double copies READ copies WRITE setCopies)
  Q_PROPERTY(int fromPage READ fromPage WRITE setFromPage)
  Q_PROPERTY(int toPage READ toPage WRITE setToPage)                    // 0: no limit
  Q_PROPERTY(QString printerName READ printerName WRITE setPrinterName)
  Q_PROPERTY(bool showPrinterAlways READ showPrinterAlways WRITE setShowPrinterAlways)
  Q_PROPERTY(bool prViewMonochrome READ prViewMonochrome WRITE setPrViewMonochrome)
  // preview() shows the pages as the print job lays them out for the printer
  Q_PROPERTY(bool previewAsPrinted READ previewAsPrinted WRITE setPreviewAsPrinted)
  // Page layout
  Q_PROPERTY(double leftMargin READ leftMargin WRITE setLeftMargin)
  Q_PROPERTY(double rightMargin READ rightMargin WRITE setRightMargin)
  Q_PROPERTY(double topMargin READ topMargin WRITE setTopMargin)
  Q_PROPERTY(double footMargin READ footMargin WRITE setFootMargin)
  Q_PROPERTY(double rightOffset READ rightOffset WRITE setRightOffset)
  Q_PROPERTY(QString topTitle READ topTitle WRITE setTopTitle)
  Q_PROPERTY(QString footTitle READ footTitle WRITE setFootTitle)
  Q_PROPERTY(QFont titlesFont READ titlesFont WRITE setTitlesFont)
  Q_PROPERTY(bool pagesNumbers READ pagesNumbers WRITE setPagesNumbers)
  Q_PROPERTY(int topFootAlignTxt READ topFootAlignTxt WRITE setTopFootAlignTxt)  // 0 left, 1 right, 2 centre
  Q_PROPERTY(bool borderText READ borderText WRITE setBorderText)
  Q_PROPERTY(QString escStr READ escStr WRITE setEscStr)
  // Tables and pictures
  Q_PROPERTY(bool repeatHeader READ repeatHeader WRITE setRepeatHeader)
  Q_PROPERTY(bool rowRepeatTitle READ rowRepeatTitle WRITE setRowRepeatTitle)
  Q_PROPERTY(int gridToFit READ gridToFit WRITE setGridToFit)  // 0 none, 1 split, 2 shrink, 3 split on new pages
  Q_PROPERTY(bool gridLinesOK READ gridLinesOK WRITE setGridLinesOK)
  Q_PROPERTY(bool sideBySide READ sideBySide WRITE setSideBySide)
  Q_PROPERTY(double scalePrnGrph READ scalePrnGrph WRITE setScalePrnGrph)
  // The face, the preview window and the progress window
  Q_PROPERTY(bool printBtnEnabled READ printBtnEnabled WRITE setPrintBtnEnabled)
  Q_PROPERTY(bool previewBtnEnabled READ previewBtnEnabled WRITE setPreviewBtnEnabled)
  Q_PROPERTY(QString toolTipText READ toolTipText WRITE setToolTipText)
  Q_PROPERTY(QString btnsViewCaptions READ btnsViewCaptions WRITE setBtnsViewCaptions)
  Q_PROPERTY(QString btnsViewToolTipText READ btnsViewToolTipText WRITE setBtnsViewToolTipText)
  Q_PROPERTY(QColor prevBkColor READ prevBkColor WRITE setPrevBkColor)
  Q_PROPERTY(bool prevPrintVisible READ prevPrintVisible WRITE setPrevPrintVisible)
  Q_PROPERTY(QString prevPrintTip READ prevPrintTip WRITE setPrevPrintTip)
  Q_PROPERTY(QString prevBtnCloseTip READ prevBtnCloseTip WRITE setPrevBtnCloseTip)
  Q_PROPERTY(QString clickToStop READ clickToStop WRITE setClickToStop)
  Q_PROPERTY(QString pagesDef READ pagesDef WRITE setPagesDef)
  Q_PROPERTY(bool hideStopBtn READ hideStopBtn WRITE setHideStopBtn)
  // Messages
  Q_PROPERTY(QString printerMess READ printerMess WRITE setPrinterMess)
  Q_PROPERTY(QString errMess READ errMess WRITE setErrMess)

 public:
  explicit PrintControl(QWidget* parent = nullptr);
  ~PrintControl() override;

  // Prints the form on the current printer (the system's default queue, or
  // the built-in PDF printer when there is none); true when the job ran to
  // its end, false when it was cancelled, stopped or failed.
  bool print();
  // Shows the pages in the preview window; true when the window was shown.
  bool preview();
  // Prints the form through the built-in PDF printer into `path`.
  bool printToPdf(const QString& path);
  // Asks the running job to stop at its next page or row.
  void stopPrint();
  // Whether a job of this control is running.
  [[nodiscard]] bool isPrinting() const;

  [[nodiscard]] int color() const;
  void setColor(int value);
  [[nodiscard]] int orientation() const;
  void setOrientation(int value);
  [[nodiscard]] int zoom() const;
  void setZoom(int value);
  [[nodiscard]] double copies() const;
  void setCopies(double value);
  [[nodiscard]] int fromPage() const;
  void setFromPage(int value);
  [[nodiscard]] int toPage() const;
  void setToPage(int value);
  [[nodiscard]] QString printerName() const;
  void setPrinterName(const QString& value);
  [[nodiscard]] bool showPrinterAlways() const;
  void setShowPrinterAlways(bool value);
  [[nodiscard]] bool prViewMonochrome() const;
  void setPrViewMonochrome(bool value);
  [[nodiscard]] bool previewAsPrinted() const;
  void setPreviewAsPrinted(bool value);
  [[nodiscard]] double leftMargin() const;
  void setLeftMargin(double value);
  [[nodiscard]] double rightMargin() const;
  void setRightMargin(double value);
  [[nodiscard]] double topMargin() const;
  void setTopMargin(double value);
  [[nodiscard]] double footMargin() const;
  void setFootMargin(double value);
  [[nodiscard]] double rightOffset() const;
  void setRightOffset(double value);
  [[nodiscard]] QString topTitle() const;
  void setTopTitle(const QString& value);
  [[nodiscard]] QString footTitle() const;
  void setFootTitle(const QString& value);
  [[nodiscard]] QFont titlesFont() const;
  void setTitlesFont(const QFont& value);
  [[nodiscard]] bool pagesNumbers() const;
  void setPagesNumbers(bool value);
  [[nodiscard]] int topFootAlignTxt() const;
  void setTopFootAlignTxt(int value);
  [[nodiscard]] bool borderText() const;
  void setBorderText(bool value);
  [[nodiscard]] QString escStr() const;
  void setEscStr(const QString& value);
  [[nodiscard]] bool repeatHeader() const;
  void setRepeatHeader(bool value);
  [[nodiscard]] bool rowRepeatTitle() const;
  void setRowRepeatTitle(bool value);
  [[nodiscard]] int gridToFit() const;
  void setGridToFit(int value);
  [[nodiscard]] bool gridLinesOK() const;
  void setGridLinesOK(bool value);
  [[nodiscard]] bool sideBySide() const;
  void setSideBySide(bool value);
  [[nodiscard]] double scalePrnGrph() const;
  void setScalePrnGrph(double value);
  [[nodiscard]] bool printBtnEnabled() const;
  void setPrintBtnEnabled(bool value);
  [[nodiscard]] bool previewBtnEnabled() const;
  void setPreviewBtnEnabled(bool value);
  [[nodiscard]] QString toolTipText() const;
  void setToolTipText(const QString& value);
  [[nodiscard]] QString btnsViewCaptions() const;
  void setBtnsViewCaptions(const QString& value);
  [[nodiscard]] QString btnsViewToolTipText() const;
  void setBtnsViewToolTipText(const QString& value);
  [[nodiscard]] QColor prevBkColor() const;
  void setPrevBkColor(const QColor& value);
  [[nodiscard]] bool prevPrintVisible() const;
  void setPrevPrintVisible(bool value);
  [[nodiscard]] QString prevPrintTip() const;
  void setPrevPrintTip(const QString& value);
  [[nodiscard]] QString prevBtnCloseTip() const;
  void setPrevBtnCloseTip(const QString& value);
  [[nodiscard]] QString clickToStop() const;
  void setClickToStop(const QString& value);
  [[nodiscard]] QString pagesDef() const;
  void setPagesDef(const QString& value);
  [[nodiscard]] bool hideStopBtn() const;
  void setHideStopBtn(bool value);
  [[nodiscard]] QString printerMess() const;
  void setPrinterMess(const QString& value);
  [[nodiscard]] QString errMess() const;
  void setErrMess(const QString& value);

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 signals:
  // Before a job starts; `mode` is 1 for a print and 0 for a preview. Set
  // *cancel to true to stop the job.
  void beforePrint(bool* cancel, int mode);
  // Each time a page is opened, with its number.
  void page(int pageNumber);
  // When a job that got past beforePrint has ended.
  void afterPrint();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace vellora
