#pragma once
// A date field as the windows show dates: dd.MM.yyyy with a calendar to pick from.

class QDateEdit;
class QWidget;

QDateEdit *dateField(const char *objectName, QWidget *parent);
