#ifndef TEVRA_TEST_SHOWN_ALERT_H
#define TEVRA_TEST_SHOWN_ALERT_H

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

// The alert on screen, if any. Alerts are not modal, so Qt's modal widget does not find them.
inline QMessageBox* shown_alert()
{
	for (QWidget* widget : QApplication::topLevelWidgets()) {
		QMessageBox* box = qobject_cast<QMessageBox*>(widget);
		if (box != nullptr && box->isVisible())
			return box;
	}
	return nullptr;
}

#endif
