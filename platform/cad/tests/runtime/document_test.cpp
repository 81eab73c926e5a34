#include "host_fixture.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/system_variables.h"

namespace {

class DocumentTest : public HostTest {};

struct Recorder : AcApDocManagerReactor {
    void documentCreated(AcApDocument* d) override { log.push_back("created " + std::string(d->docTitle())); }
    void documentActivated(AcApDocument* d) override { log.push_back("activated " + std::string(d->docTitle())); }
    void documentToBeDestroyed(AcApDocument* d) override { log.push_back("destroyed " + std::string(d->docTitle())); }
    std::vector<std::string> log;
};

resbuf Short(int v)
{
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = static_cast<short>(v);
    return rb;
}

resbuf Real(double v)
{
    resbuf rb{};
    rb.restype = RTREAL;
    rb.resval.rreal = v;
    return rb;
}

double GetReal(const char* name)
{
    resbuf rb{};
    EXPECT_EQ(acedGetVar(name, &rb), RTNORM) << name;
    EXPECT_EQ(rb.restype, RTREAL) << name;
    return rb.resval.rreal;
}

TEST_F(DocumentTest, ManagerOpensActivatesLocksAndClosesWithItsReactorsTold)
{
    Recorder recorder;
    acDocManager->addReactor(&recorder);
    EXPECT_EQ(curDoc(), nullptr);
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AcApDocument* one = curDoc();
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    AcApDocument* two = curDoc();
    // New drawings are numbered through the session.
    std::string t1 = one->docTitle(), t2 = two->docTitle();
    EXPECT_EQ(t1.rfind("Drawing", 0), 0u);
    EXPECT_NE(t1, t2);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), two->database());

    ASSERT_EQ(acDocManager->activateDocument(one), Acad::eOk);
    EXPECT_EQ(acdbHostApplicationServices()->workingDatabase(), one->database());

    // A drawing that cannot be read changes nothing.
    EXPECT_NE(acDocManager->appContextOpenDocument("C:\\nowhere\\x.dwg"), Acad::eOk);
    EXPECT_EQ(acDocManager->appContextOpenDocument(""), Acad::eInvalidInput);
    EXPECT_EQ(acDocManager->documentCount(), 2);
    EXPECT_EQ(curDoc(), one);

    EXPECT_EQ(acDocManager->lockDocument(one), Acad::eOk);
    EXPECT_EQ(acDocManager->lockDocument(one), Acad::eOk);
    EXPECT_EQ(one->lockMode(), AcAp::kWrite);
    EXPECT_EQ(acDocManager->unlockDocument(one), Acad::eOk);
    EXPECT_EQ(acDocManager->unlockDocument(one), Acad::eOk);
    EXPECT_EQ(one->lockMode(), AcAp::kNone);
    EXPECT_EQ(acDocManager->unlockDocument(one), Acad::eNotApplicable);

    // Closing the current drawing makes the last opened one current and active.
    ASSERT_EQ(acDocManager->closeDocument(one), Acad::eOk);
    EXPECT_EQ(curDoc(), two);
    EXPECT_EQ(acDocManager->closeDocument(one), Acad::eInvalidInput);
    acDocManager->closeAll();
    EXPECT_EQ(curDoc(), nullptr);
    acDocManager->removeReactor(&recorder);
    EXPECT_EQ(recorder.log, (std::vector<std::string>{"created " + t1, "activated " + t1, "created " + t2,
                                                      "activated " + t2, "activated " + t1, "destroyed " + t1,
                                                      "activated " + t2, "destroyed " + t2}));
}

TEST_F(DocumentTest, SystemVariablesAreTypedPerDrawingOrPerSession)
{
    acDocManager->appContextNewDocument(nullptr);
    AcApDocument* one = curDoc();
    acDocManager->appContextNewDocument(nullptr);
    AcApDocument* two = curDoc();

    resbuf v = Real(500);
    ASSERT_EQ(acedSetVar("userr1", &v), RTNORM);
    resbuf s{};
    s.restype = RTSTR;
    s.resval.rstring = const_cast<char*>("D:\\OUT\\CITY.MPJ");
    ASSERT_EQ(acedSetVar("Users4", &s), RTNORM);
    acDocManager->activateDocument(one);
    EXPECT_EQ(GetReal("USERR1"), 0.0) << "saved in the drawing: each has its own";
    resbuf got{};
    ASSERT_EQ(acedGetVar("USERS4", &got), RTNORM);
    EXPECT_STREQ(got.resval.rstring, "D:\\OUT\\CITY.MPJ") << "session variables are shared";
    acutDelString(got.resval.rstring);
    acDocManager->activateDocument(two);
    EXPECT_EQ(GetReal("USERR1"), 500.0);
    platform::cad::VariableValue saved;
    ASSERT_TRUE(platform::cad::GetDrawingVariable(two->database(), "userr1", saved));
    EXPECT_EQ(saved.real, 500.0);
    EXPECT_FALSE(platform::cad::GetDrawingVariable(two->database(), "CMDECHO", saved));
    // One value with the database's own, which the drawing's header is written from.
    EXPECT_EQ(two->database()->userr1(), 500.0);
    EXPECT_EQ(one->database()->setLtscale(0.25), Acad::eOk);
    acDocManager->activateDocument(one);
    EXPECT_EQ(GetReal("LTSCALE"), 0.25);
    acDocManager->activateDocument(two);

    // Whole numbers are taken for reals; the reverse, ranges and unknown names are refused.
    resbuf whole = Short(3);
    EXPECT_EQ(acedSetVar("LTSCALE", &whole), RTNORM);
    EXPECT_EQ(GetReal("ltscale"), 3.0);
    resbuf zero = Real(0);
    EXPECT_EQ(acedSetVar("LTSCALE", &zero), RTREJ);
    resbuf two5 = Real(2.5);
    EXPECT_EQ(acedSetVar("OSMODE", &two5), RTREJ);
    resbuf big = Short(2);
    EXPECT_EQ(acedSetVar("CMDECHO", &big), RTREJ);
    resbuf ps = Short(0);
    EXPECT_EQ(acedSetVar("pickstyle", &ps), RTNORM);
    ASSERT_EQ(acedGetVar("PICKSTYLE", &got), RTNORM);
    EXPECT_EQ(got.restype, RTSHORT);
    EXPECT_EQ(got.resval.rint, 0);
    EXPECT_EQ(acedGetVar("NOSUCHVAR", &got), RTERROR);
    EXPECT_EQ(acedSetVar("NOSUCHVAR", &ps), RTERROR);

    // A module of the host adds a computed variable with a getter and a setter.
    static double size = 20;
    platform::cad::VariableDefinition view;
    view.name = "VIEWSIZE";
    view.initial.type = RTREAL;
    view.get = [] {
        platform::cad::VariableValue value;
        value.type = RTREAL;
        value.real = size;
        return value;
    };
    view.set = [](const platform::cad::VariableValue& value) {
        size = value.real;
        return true;
    };
    platform::cad::RegisterSystemVariable(view);
    EXPECT_EQ(GetReal("viewsize"), 20.0);
    resbuf newSize = Real(80);
    EXPECT_EQ(acedSetVar("VIEWSIZE", &newSize), RTNORM);
    EXPECT_EQ(size, 80.0);
    platform::cad::VariableDefinition ro = view;
    ro.name = "VIEWCTR";
    ro.readOnly = true;
    platform::cad::RegisterSystemVariable(ro);
    EXPECT_EQ(acedSetVar("VIEWCTR", &newSize), RTREJ);

    // Closing a drawing forgets its values: a new drawing starts from the defaults.
    acDocManager->closeAll();
    acDocManager->appContextNewDocument(nullptr);
    EXPECT_EQ(GetReal("USERR1"), 0.0);
}

}  // namespace
