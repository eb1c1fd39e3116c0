// The rich-text report window: a small editor whose read-only documents are the system's reports.
#pragma once
#include <QColor>
#include <QFont>
#include <string>

#include "database/DXClass.h"

class QTextEdit;

class TReportFRM : public TDXForm {
  Q_OBJECT
 public:
  explicit TReportFRM(QWidget* owner = nullptr);
  ~TReportFRM() override;

  enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

  // The report protocol. Texts are Windows-1252 bytes.
  void NewDocument(const std::string& title, const std::string& fileName, bool readOnly,
                   bool wordWrap);
  void SetParagraph(int align, bool bullet);  // 0 left, 1 right, 2 centre
  void SetTextFont(const std::string& name, const QColor& color, int size, unsigned style);
  void AddLine(const std::string& text);
  int ShowReport();
  bool LoadDocument();
  int MessageBox(const std::string& text, unsigned flags);

  QTextEdit* Doc = nullptr;
  // Implementation lives in Report.cpp; further members are added there.
};
