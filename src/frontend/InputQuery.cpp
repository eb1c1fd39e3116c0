#include "frontend/InputQuery.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/Cp1252.h"
#include "platform/Seams.h"

TInputQueryFRM::TInputQueryFRM(const std::string& caption, const std::string& prompt,
                               const std::string& value)
    : TDXForm(nullptr) {
  setObjectName("InputQueryFRM");
  setWindowTitle(plat::FromAnsi(caption));
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  Prompt = new QLabel(plat::FromAnsi(prompt), body);
  Edit = new QLineEdit(plat::FromAnsi(value), body);
  Edit->selectAll();
  auto* buttons = new QHBoxLayout;
  OkBTN = new QPushButton("OK", body);
  CancelBTN = new QPushButton("Cancel", body);
  OkBTN->setObjectName("OkBTN");
  CancelBTN->setObjectName("CancelBTN");
  OkBTN->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(OkBTN);
  buttons->addWidget(CancelBTN);
  layout->addWidget(Prompt);
  layout->addWidget(Edit);
  layout->addLayout(buttons);
  setCentralWidget(body);
  connect(OkBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(CancelBTN, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { SetModalResult(mrCancel); });
}

TInputQueryFRM::~TInputQueryFRM() = default;

void TInputQueryFRM::showEvent(QShowEvent* e) {
  TDXForm::showEvent(e);
  CenterOnScreen(this);
}

std::string TInputQueryFRM::Value() const { return plat::ToAnsi(Edit->text()); }

bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value,
                bool storedName) {
  TInputQueryFRM box(caption, prompt, value);
  if (!(storedName ? ShowModalForName(box, *box.Edit) : box.ShowModal() == mrOk)) return false;
  value = box.Value();
  return true;
}

bool ShowModalForName(TDXForm& window, const QLineEdit& name) {
  // OK on a refused name tells why over the window, which stays where it is.
  window.SetOkCheck([&window, &name] {
    const QString why = UnstorableName(name.text());
    if (!why.isEmpty()) plat::Ui().MessageBoxText(&window, "Velmora", why, plat::MB_ICONERROR);
    return why.isEmpty();
  });
  const bool ok = window.ShowModal() == mrOk;
  window.SetOkCheck(nullptr);
  return ok && UnstorableName(name.text()).isEmpty();
}

QString UnstorableName(const QString& name) {
  if (plat::FitsAnsi(name)) return {};
  return "The name \"" + name.trimmed() +
         "\" cannot be stored: it has characters that Velmora's files cannot hold.";
}
