#pragma once

#include <QString>

// What the credits say. The text boxes' texts are lines ended by CR LF.
namespace credits {

QString appName();
QString copyright();
QString creditsHeading();
QString unitOneHeading();
QString unitOneTitles();
QString unitOneNames();
QString unitTwoHeading();
QString unitTwoTitles();
QString unitTwoNames();
QString thanks();
QString disclaimer();
QString fire();
QString pants();

} // namespace credits
