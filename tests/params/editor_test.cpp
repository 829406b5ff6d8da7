// The editor pattern against the simulated ECU: fields from the ECU values,
// read and write modes, the Modify press, one write per tick in write order
// until every echo has confirmed, and refused entries.

#include <gtest/gtest.h>

#include "params_support.h"

namespace kelvo6::testing {
namespace {

void openLambda(Harness& h) {
  openHub(h, [](sim::Ecu& e) {
    e.setParam(3, 1);
    e.setParam(4, 400);
    e.setParam(52, 650);
    e.setParam(50, 3);
  });
  h.click("Form5", "Command1");
  ASSERT_TRUE(h.window("Form6"));
}

TEST(LambdaEditor, ShowsTheEcuValuesInReadMode) {
  Harness h;
  openLambda(h);
  EXPECT_EQ(h.window("Form6")->windowTitle(), "KELVO6 - Parametri lambda");
  EXPECT_EQ(text(h, "Form6", "Text6"), "400");
  EXPECT_EQ(text(h, "Form6", "Text5"), "600");
  EXPECT_EQ(text(h, "Form6", "Text3"), "1500");
  EXPECT_EQ(text(h, "Form6", "Text7"), "650");
  EXPECT_TRUE(checked(h, "Form6", "Option1_1"));
  EXPECT_EQ(fore(h, "Form6", "Label7"), kRed);
  for (const char* l : {"Label6", "Label10", "Label11"}) EXPECT_EQ(fore(h, "Form6", l), kBlue) << l;
  EXPECT_TRUE(checked(h, "Form6", "Option2_3"));
  EXPECT_EQ(fore(h, "Form6", "Label13"), kRed);
  EXPECT_TRUE(checked(h, "Form6", "Option3"));
  EXPECT_TRUE(h.control<QRadioButton>("Form6", "Option4")->isEnabled());
  EXPECT_FALSE(h.control<QPushButton>("Form6", "Command2")->isEnabled());
  EXPECT_TRUE(h.control<QLineEdit>("Form6", "Text6")->isReadOnly());
  EXPECT_FALSE(h.control<QRadioButton>("Form6", "Option1_0")->isEnabled());
  EXPECT_FALSE(h.control<QLineEdit>("Form6", "Text4")->isVisibleTo(h.window("Form6")));
}

TEST(LambdaEditor, WritesChangedValuesOnePerTickInOrderThenReturnsToReadMode) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  EXPECT_FALSE(h.control<QLineEdit>("Form6", "Text6")->isReadOnly());
  h.setText("Form6", "Text7", "700");
  h.setText("Form6", "Text6", "350");
  h.clearSent();
  h.click("Form6", "Command2");
  EXPECT_TRUE(h.sent().empty());
  EXPECT_EQ(h.window("Form6")->cursor().shape(), Qt::WaitCursor);
  EXPECT_FALSE(h.control<QPushButton>("Form6", "Command2")->isEnabled());
  h.advance(500);
  ASSERT_EQ(h.sent().size(), 1u);
  EXPECT_EQ(h.sent()[0], (Frame{0x50, 0x43, 0x00, 0x09, 0x02, 0x00, 0x04, 0x01, 0x5E}));
  h.advance(500);
  ASSERT_EQ(h.sent().size(), 2u);
  EXPECT_EQ(h.sent()[1], link::writeParameter(52, 700));
  EXPECT_TRUE(checked(h, "Form6", "Option4"));
  h.advance(500);
  EXPECT_EQ(h.sent().size(), 2u);
  EXPECT_TRUE(checked(h, "Form6", "Option3"));
  EXPECT_FALSE(checked(h, "Form6", "Option4"));
  EXPECT_TRUE(h.control<QLineEdit>("Form6", "Text6")->isReadOnly());
  EXPECT_FALSE(h.control<QPushButton>("Form6", "Command2")->isEnabled());
  EXPECT_NE(h.window("Form6")->cursor().shape(), Qt::WaitCursor);
  EXPECT_EQ(h.ecu()->param(4), 350);
  EXPECT_EQ(h.ecu()->param(52), 700);
  EXPECT_EQ(h.shared().param(4).ecu, 350);
}

TEST(LambdaEditor, LaterParametersWaitUntilTheEarlierEchoIsRecorded) {
  Harness h;
  openLambda(h);
  h.ecu()->faults().wrongEchoParam = 4;
  h.ecu()->faults().wrongEchoCount = 2;
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "350");
  h.setText("Form6", "Text7", "700");
  h.clearSent();
  h.click("Form6", "Command2");
  h.advance(2500);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{4, 4, 4, 52}));
  EXPECT_TRUE(checked(h, "Form6", "Option3"));
}

TEST(LambdaEditor, ModifyWithoutChangesSendsNothingAndEndsAfterOneInterval) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.clearSent();
  h.click("Form6", "Command2");
  h.advance(499);
  EXPECT_TRUE(checked(h, "Form6", "Option4"));
  h.advance(1);
  EXPECT_TRUE(checked(h, "Form6", "Option3"));
  EXPECT_TRUE(h.sent().empty());
}

TEST(LambdaEditor, OptionChosenInWriteModeMovesTheMarkOnlyWithTheEcho) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.click("Form6", "Option1_2");
  EXPECT_EQ(fore(h, "Form6", "Label7"), kRed);
  EXPECT_EQ(fore(h, "Form6", "Label10"), kBlue);
  h.click("Form6", "Command2");
  h.advance(500);
  EXPECT_EQ(h.sent().back(), link::writeParameter(3, 2));
  h.advance(10);  // the echo
  EXPECT_EQ(fore(h, "Form6", "Label10"), kRed);
  EXPECT_EQ(fore(h, "Form6", "Label7"), kBlue);
}

TEST(LambdaEditor, ReactivationRefillsFromTheEcuValues) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "123");
  h.activate("Form5");
  h.activate("Form6");
  EXPECT_EQ(text(h, "Form6", "Text6"), "400");
}

TEST(LambdaEditor, ReadModeChoiceShowsTheEcuValuesAgain) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "123");
  h.click("Form6", "Option1_2");
  h.click("Form6", "Option3");  // back to reading without Modify
  EXPECT_EQ(text(h, "Form6", "Text6"), "400");
  EXPECT_TRUE(checked(h, "Form6", "Option1_1"));
  EXPECT_FALSE(checked(h, "Form6", "Option1_2"));
  EXPECT_TRUE(h.control<QLineEdit>("Form6", "Text6")->isReadOnly());
  h.advance(2000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
}

TEST(LambdaEditor, KeyFilterTakesDigitsOnly) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.typeKeys("Form6", "Text6", "a-.\b 5");
  EXPECT_EQ(text(h, "Form6", "Text6"), "4005");
}

TEST(EditorEntries, WrongEntryIsRefusedMarkedAndNamed) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "");
  h.setText("Form6", "Text7", "70000");
  h.setText("Form6", "Text5", "550");
  h.clearSent();
  h.click("Form6", "Command2");
  h.advance(2000);
  EXPECT_TRUE(h.sent().empty());
  EXPECT_TRUE(checked(h, "Form6", "Option4"));
  EXPECT_TRUE(h.control<QPushButton>("Form6", "Command2")->isEnabled());
  EXPECT_NE(h.window("Form6")->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(h.control<QWidget>("Form6", "Text6")->property("backColor").isValid());
  EXPECT_TRUE(h.control<QWidget>("Form6", "Text7")->property("backColor").isValid());
  EXPECT_FALSE(h.control<QWidget>("Form6", "Text5")->property("backColor").isValid());
  EXPECT_EQ(h.control<QLabel>("Form6", "MessageLine")->text(),
            "Campo vuoto: LAMBDA1 - Soglia magro. Inserire un numero intero da 0 a 65535.");
  EXPECT_EQ(h.shared().param(5).pending, 0);  // nothing of the press was taken
  // Corrected, the press goes through and the marks go.
  h.setText("Form6", "Text6", "400");
  h.setText("Form6", "Text7", "650");
  h.click("Form6", "Command2");
  EXPECT_FALSE(h.control<QWidget>("Form6", "Text6")->property("backColor").isValid());
  EXPECT_TRUE(h.control<QLabel>("Form6", "MessageLine")->text().isEmpty());
  h.advance(1000);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{5}));
}

TEST(EditorEntries, RefusalGoesWithTheNextEdit) {
  Harness h;
  openLambda(h);
  h.click("Form6", "Option4");
  h.setText("Form6", "Text6", "");
  h.setText("Form6", "Text7", "70000");
  h.click("Form6", "Command2");
  ASSERT_FALSE(h.control<QLabel>("Form6", "MessageLine")->text().isEmpty());
  h.typeKeys("Form6", "Text6", "4");  // a valid value in one of them
  EXPECT_TRUE(h.control<QLabel>("Form6", "MessageLine")->text().isEmpty());
  EXPECT_FALSE(h.control<QWidget>("Form6", "Text6")->property("backColor").isValid());
  EXPECT_FALSE(h.control<QWidget>("Form6", "Text7")->property("backColor").isValid());
  // Modify checks again and names what is still wrong.
  h.click("Form6", "Command2");
  EXPECT_EQ(h.control<QLabel>("Form6", "MessageLine")->text(),
            "Valore fuori limiti: LAMBDA2 - Soglia ricco. Inserire un numero intero da 0 a 65535.");
}

TEST(EditorEntries, SignedFieldsStopAt32767AndTheCutoffFieldsRefuseLetters) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command3");
  h.click("Form11", "Option2");
  h.setText("Form11", "Text1", "40000");
  h.click("Form11", "Command2");
  h.advance(2000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_TRUE(h.control<QLabel>("Form11", "MessageLine")->text().contains("32767"));
  h.close("Form11");

  h.click("Form5", "Command2");
  h.click("Form10", "Option2");
  h.typeKeys("Form10", "Text1", "x");  // no key filter here
  EXPECT_EQ(text(h, "Form10", "Text1"), "2500x");
  h.click("Form10", "Command2");
  h.advance(2000);
  EXPECT_TRUE(h.sentWithCommand(2).empty());
  EXPECT_EQ(h.control<QLabel>("Form10", "MessageLine")->text(),
            "Valore non numerico: Soglia giri inserimento cutoff. Inserire un numero intero da 0 a 32767.");
}

TEST(CutoffEditor, WritesOnlyTheChangedThresholdAndKeepsTheKgbFieldEmpty) {
  Harness h;
  openHub(h);
  h.click("Form5", "Command2");
  EXPECT_FALSE(h.control<QLineEdit>("Form10", "Text1")->isReadOnly());  // unlocked as created
  EXPECT_EQ(text(h, "Form10", "Text1"), "2500");
  EXPECT_EQ(text(h, "Form10", "Text2"), "1000");
  EXPECT_TRUE(text(h, "Form10", "Text4").isEmpty());
  h.click("Form10", "Option2");
  h.setText("Form10", "Text2", "800");
  h.setText("Form10", "Text4", "110");
  h.clearSent();
  h.click("Form10", "Command2");
  h.advance(1000);
  EXPECT_EQ(h.sent(), (std::vector<Frame>{link::writeParameter(32, 800)}));
  EXPECT_TRUE(checked(h, "Form10", "Option2"));
  h.advance(1000);
  EXPECT_EQ(h.sent().size(), 1u);
  EXPECT_TRUE(checked(h, "Form10", "Option1"));
  EXPECT_TRUE(h.control<QLineEdit>("Form10", "Text4")->isReadOnly());
  EXPECT_TRUE(text(h, "Form10", "Text4").isEmpty()) << "what was typed there was never stored";
}

TEST(SwitchingEditor, ChangingTheModelSendsItAndItsThresholds) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(58, 0); });
  h.click("Form5", "Command3");
  EXPECT_TRUE(checked(h, "Form11", "Option5"));
  EXPECT_EQ(fore(h, "Form11", "Label19"), kRed);
  EXPECT_EQ(text(h, "Form11", "Text5"), "400");
  EXPECT_TRUE(checked(h, "Form11", "Check1"));
  h.click("Form11", "Option2");
  h.click("Form11", "Option7");
  h.clearSent();
  h.click("Form11", "Command2");
  h.advance(6000);
  EXPECT_EQ(h.sent(), (std::vector<Frame>{link::writeParameter(58, 2), link::writeParameter(16, 25),
                                          link::writeParameter(17, 50), link::writeParameter(18, 75)}));
  EXPECT_EQ(fore(h, "Form11", "Label21"), kRed);
  EXPECT_TRUE(checked(h, "Form11", "Option1"));
}

TEST(SwitchingEditor, PlainSwitchOrAnUnchangedModelKeepsTheEcuThresholds) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(16, 15); });  // thresholds set by hand, model SWT 318
  h.click("Form5", "Command3");
  h.click("Form11", "Option2");
  h.setText("Form11", "Text1", "2400");
  h.clearSent();
  h.click("Form11", "Command2");
  h.advance(3000);
  EXPECT_EQ(writtenParameters(h), (std::vector<int>{12}));
  EXPECT_EQ(h.ecu()->param(16), 15);

  h.click("Form11", "Option2");
  h.click("Form11", "Option5");
  h.click("Form11", "Check1");  // warm change-over no longer allowed
  h.clearSent();
  h.click("Form11", "Command2");
  h.advance(4000);
  EXPECT_EQ(h.sent(), (std::vector<Frame>{link::writeParameter(58, 0), link::writeParameter(61, 0)}));
  EXPECT_FALSE(checked(h, "Form11", "Check1"));
}

TEST(SwitchingEditor, UnknownModelValueLeavesTheModelOptionsAndSendsNothingForThem) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(58, 3); });
  h.click("Form5", "Command3");
  for (const char* o : {"Option5", "Option6", "Option7"}) EXPECT_FALSE(checked(h, "Form11", o)) << o;
  for (const char* l : {"Label19", "Label20", "Label21"})
    EXPECT_FALSE(h.control<QWidget>("Form11", l)->property("foreColor").isValid()) << l;
  h.click("Form11", "Option2");
  h.clearSent();
  h.click("Form11", "Command2");
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());  // the model stays as the ECU has it, no thresholds either
}

TEST(OtherEditor, ShowsTheInstallationAndWritesTheModels) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(23, 1200); });
  h.click("Form5", "Command6");
  EXPECT_EQ(text(h, "Form13", "Text1"), "4");
  EXPECT_EQ(text(h, "Form13", "Text3"), "1300");
  EXPECT_EQ(text(h, "Form13", "Text6"), "84");
  EXPECT_EQ(text(h, "Form13", "Text7"), "1200");
  EXPECT_TRUE(checked(h, "Form13", "Option3"));
  EXPECT_EQ(fore(h, "Form13", "Label16"), kRed);
  EXPECT_EQ(fore(h, "Form13", "Label17"), kBlue);
  h.click("Form13", "Option2");
  h.click("Form13", "Option4");
  h.click("Form13", "Option6");
  h.clearSent();
  h.click("Form13", "Command2");
  h.advance(1000);
  EXPECT_EQ(h.sent(), (std::vector<Frame>{link::writeParameter(57, 1), link::writeParameter(33, 1)}));
  EXPECT_EQ(fore(h, "Form13", "Label17"), kRed);
  EXPECT_EQ(fore(h, "Form13", "Label15"), kRed);
  EXPECT_TRUE(checked(h, "Form13", "Option1"));
  EXPECT_FALSE(h.control<QRadioButton>("Form13", "Option3")->isEnabled());
}

TEST(OtherEditor, PressureSensorValueOutsideTheGroupChangesNothing) {
  Harness h;
  openHub(h, [](sim::Ecu& e) { e.setParam(57, 2); });
  h.click("Form5", "Command6");
  EXPECT_FALSE(checked(h, "Form13", "Option3"));
  EXPECT_FALSE(checked(h, "Form13", "Option4"));
}

TEST(EditorsNotConnected, ShowTheExampleValuesAndSendNothing) {
  Harness h;
  openHubNotConnected(h);
  h.click("Form5", "Command1");
  EXPECT_EQ(h.window("Form6")->windowTitle(), "KELVO6 - Parametri lambda Non Connesso");
  EXPECT_EQ(text(h, "Form6", "Text6"), "350");
  EXPECT_EQ(text(h, "Form6", "Text3"), "1500");
  EXPECT_TRUE(checked(h, "Form6", "Option1_2"));
  EXPECT_EQ(fore(h, "Form6", "Label10"), kRed);
  EXPECT_FALSE(h.control<QRadioButton>("Form6", "Option4")->isEnabled());
  h.click("Form6", "Option4");
  h.click("Form6", "Command2");
  h.close("Form6");

  h.click("Form5", "Command2");
  EXPECT_EQ(h.window("Form10")->windowTitle(), "KELVO6 - Parametri cutoff Non Connesso");
  EXPECT_EQ(text(h, "Form10", "Text1"), "2500");
  EXPECT_TRUE(text(h, "Form10", "Text4").isEmpty());
  h.close("Form10");

  h.click("Form5", "Command3");
  EXPECT_EQ(text(h, "Form11", "Text1"), "2300");
  EXPECT_EQ(text(h, "Form11", "Text6"), "800");
  EXPECT_EQ(fore(h, "Form11", "Label17"), kRed);
  EXPECT_EQ(fore(h, "Form11", "Label20"), kRed);
  EXPECT_TRUE(checked(h, "Form11", "Check1"));
  h.close("Form11");

  h.click("Form5", "Command6");
  std::vector<QString> shown;
  for (const char* f : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7"}) shown.push_back(text(h, "Form13", f));
  EXPECT_EQ(shown, (std::vector<QString>{"4", "4", "1300", "0", "0", "84", "1100"}));
  EXPECT_TRUE(checked(h, "Form13", "Option3"));
  EXPECT_TRUE(checked(h, "Form13", "Option5"));
  h.close("Form13");

  h.click("Form5", "Command4");
  EXPECT_EQ(h.window("Form14")->windowTitle(), "KELVO6 - Parametri indicatore Non connesso");
  EXPECT_EQ(text(h, "Form14", "Text2"), "5000");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label13")->text(), "500");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label14")->text(), "1500");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label17")->text(), "3000");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label23")->text(), "SWT 318");
  EXPECT_EQ(h.control<QLabel>("Form14", "Label3")->text(), "Soglia Ris->1/3");
  h.advance(3000);
  EXPECT_TRUE(h.sent().empty());
}

TEST(EditorTitles, TurkishNotConnectedSuffixes) {
  Harness h;
  openHubNotConnected(h, 3);
  const std::pair<const char*, const char*> windows[] = {
      {"Command1", "KELVO6 - LAMBDA Degerleri  Iletisim Yok"},
      {"Command2", "KELVO6 - Gaz Kesme Degerlery  Iletisim Yok"},
      {"Command3", "KELVO6 - Iletisim Parametreleri  Iletisim Yok"},
      {"Command6", "KELVO6 - Diger Degerler   Iletisim Yok"},
      {"Command4", "KELVO6 - Gaz Seviye Gostergesi Degerleri  Iletisim Yok"},
  };
  for (auto [button, title] : windows) {
    h.click("Form5", button);
    QWidget* active = nullptr;
    for (const char* f : {"Form6", "Form10", "Form11", "Form13", "Form14"})
      if (h.window(f)) active = h.window(f);
    ASSERT_TRUE(active);
    EXPECT_EQ(active->windowTitle(), title);
    EXPECT_EQ(h.control<QPushButton>(active->objectName(), "Command2")->text(), "Kaydet");
    h.close(active->objectName());
  }
}

}  // namespace
}  // namespace kelvo6::testing
