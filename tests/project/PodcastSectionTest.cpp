#include "PodFixture.h"

TEST(PodcastSection, KeysDefaultsAndRanges) {
  TempDir dir;
  dir.Write("media/show.m4a", "audio");
  dir.Write("art/back.png", "png");
  const LoadedPod pod = LoadPod(dir,
                                "[podcast]\nkeepfinalimages=true\nqtimageformat=JPEG\nintscalefactor=16\n"
                                "intscalemethod=Lanczos3\nimgscalemethod=box\n"
                                "altfolder1=media\naltFolder2=art\naltfolder4=skipped\nfont1=Arial\nfont2=\nfont3=Verdana\n"
                                "audiofile=show.m4a\nbasename=episode 1\nimgwidth=1024\nimgheight=2048\nimgScaleWidth=0\n"
                                "image=back.png\nbackgroundColor=255 128 0\ntimescale=44100\naddimages=false\naudiobook=on\n");
  ASSERT_TRUE(pod.ok) << pod.err;
  EXPECT_EQ(pod.err, "");
  const PodProject& p = *pod.project;
  EXPECT_TRUE(p.keepFinalImages && !p.keepIntermediateImages && !p.addImages && p.audioBook && !p.addVideo);
  EXPECT_EQ(p.qtImageFormat, 2);
  EXPECT_EQ(p.intScaleFactor, 16);
  EXPECT_EQ(p.intScaleMethod * 10 + p.imgScaleMethod, 50);
  EXPECT_EQ(p.altFolders, (StdStringList{dir.path() + "/", "media/", "art/"}));  // altfolder3 missing: 4 never read
  EXPECT_EQ(p.fonts, StdStringList{"Arial"});
  EXPECT_EQ(p.audioFile, dir.Path("media/show.m4a"));
  EXPECT_EQ(p.imgWidth * 10000 + p.imgHeight, 10242048);
  EXPECT_EQ(p.defaultImage, dir.Path("art/back.png"));
  EXPECT_EQ(p.backgroundColor, 0x0080FFu);
  EXPECT_EQ(p.timeScale, 44100);

  const LoadedPod bad = LoadPod(dir,
                                "[podcast]\nbasename=b\nimgwidth=2048\nimgheight=15\nimgScaleWidth=8\nimgScaleHeight=4000\n"
                                "qtimageformat=jpg\nintscalefactor=17\nimgscalemethod=nearest\nbackgroundColor=256 0\n"
                                "timescale=0\n");
  ASSERT_TRUE(bad.ok);
  EXPECT_EQ(bad.err,
            "input image width is out of range (2048), changing to default (300)\n"
            "input image height is out of range (15), changing to default (300)\n"
            "input image scale width is out of range (8), changing to default (0)\n"
            "input image scale height is out of range (4000), changing to default (0)\n"
            "time scale is out of range (0), changing to default (600)\n");
  const PodProject& q = *bad.project;
  EXPECT_EQ(q.imgWidth + q.imgHeight + q.imgScaleWidth + q.imgScaleHeight, 600);
  EXPECT_EQ(q.qtImageFormat, 13);
  EXPECT_EQ(q.intScaleFactor, 4);
  EXPECT_EQ(q.imgScaleMethod, 1);
  EXPECT_EQ(q.backgroundColor, 0u);
  EXPECT_EQ(q.timeScale, 600);
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nbackgroundColor=256 0 511\n").project->backgroundColor, 0xFF0000u);
}

TEST(PodcastSection, WhatStopsTheLoadAndWhatIsOnlyReported) {
  TempDir dir;
  const LoadedPod noBase = LoadPod(dir, "[podcast]\nimgwidth=400\n");
  EXPECT_FALSE(noBase.ok);
  EXPECT_EQ(noBase.err, "\"basename\" entry in [podcast] in file " + dir.Path("show.pod") + " is missing\n");
  EXPECT_FALSE(LoadPod(dir, "[podcast]\nbasename=\n").ok);

  const LoadedPod noAudio = LoadPod(dir, "[podcast]\nbasename=b\naudiofile=sounds\\gone.m4a\n");
  EXPECT_FALSE(noAudio.ok);
  EXPECT_EQ(noAudio.err, "sounds\\gone.m4a does not exist\n");  // as the user wrote it

  const LoadedPod missing = LoadPod(dir, "[podcast]\nbasename=b\nartwork=a.jpg\nimage=d.png\n[artwork]\nb.jpg=\n");
  EXPECT_TRUE(missing.ok);
  EXPECT_EQ(missing.err,
            "artwork file \"a.jpg\" does not exists\n"
            "artwork file \"b.jpg\" does not exists\n"
            "default image file \"d.png\" does not exists\n");
  EXPECT_EQ(missing.project->artwork, StdStringList{"a.jpg"});  // the [podcast] one is kept all the same
  EXPECT_EQ(missing.project->defaultImage, "d.png");
}

TEST(PodcastSection, ArtworkAndMetadataSections) {
  TempDir dir;
  dir.Write("front.jpg", "x");
  dir.Write("back.jpg", "x");
  const LoadedPod pod = LoadPod(dir,
                                "[podcast]\nbasename=b\nartwork=front.jpg\n[artwork]\nback.jpg=\n"
                                "[metadata]\ncatg=podcasts\nnam=Short\n\xC2\xA9nam=Sign\ndescr=Cut\nempty=\naART=Band\n");
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.project->artwork, (StdStringList{dir.Path("front.jpg"), dir.Path("back.jpg")}));
  EXPECT_EQ(pod.project->metadata,
            (StdStringList{"catgpodcasts", "nam Short", "\xA9namSign", "descCut", "aARTBand"}));  // one byte for ©
}
