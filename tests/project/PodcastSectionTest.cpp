#include "PodFixture.h"

TEST(PodcastSection, DefaultsOfAMinimalProject) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir, "[podcast]\nbasename=show\n");
  ASSERT_TRUE(pod.ok) << pod.err;
  EXPECT_EQ(pod.err, "");
  const PodProject& p = *pod.project;
  EXPECT_EQ(p.podFile, "show.pod");
  EXPECT_EQ(p.basename, "show");
  EXPECT_EQ(p.timeScale, 600);
  EXPECT_EQ(p.imgWidth, 300);
  EXPECT_EQ(p.imgHeight, 300);
  EXPECT_EQ(p.imgScaleWidth, 0);
  EXPECT_EQ(p.imgScaleHeight, 0);
  EXPECT_EQ(p.backgroundColor, 0u);
  EXPECT_TRUE(p.addImages);
  EXPECT_FALSE(p.addVideo || p.audioBook || p.keepFinalImages || p.keepIntermediateImages);
  EXPECT_EQ(p.qtImageFormat, 13);
  EXPECT_EQ(p.intScaleFactor, 4);
  EXPECT_EQ(p.intScaleMethod, 1);
  EXPECT_EQ(p.imgScaleMethod, 1);
  EXPECT_EQ(p.audioStart + p.audioLength, 0);
  ASSERT_EQ(p.altFolders.size(), 1u);
  EXPECT_EQ(p.altFolders[0], dir.path() + "/");
  EXPECT_TRUE(p.fonts.empty() && p.artwork.empty() && p.metadata.empty() && p.defaultTitles.empty());
  EXPECT_EQ(p.podCount, 0);
  EXPECT_TRUE(p.editPoints.Items().empty());
}

TEST(PodcastSection, EveryKeyIsRead) {
  TempDir dir;
  dir.Write("media/show.m4a", "audio");
  dir.Write("cover.jpg", "jpeg");
  dir.Write("art/back.png", "png");
  dir.Write("fonts/none", "");
  const LoadedPod pod = LoadPod(dir,
                                "[podcast]\n"
                                "keepfinalimages=true\nkeepintermediateimages=yes\n"
                                "qtimageformat=JPEG\nintscalefactor=16\nintscalemethod=Lanczos3\nimgscalemethod=box\n"
                                "altfolder1=media\naltFolder2=art\naltfolder4=skipped\n"
                                "font1=Arial\nfont2=Georgia\nfont3=\nfont4=Verdana\n"
                                "audiofile=show.m4a\nartwork=cover.jpg\nbasename=episode 1\n"
                                "imgwidth=1024\nimgheight=2048\nimgScaleWidth=16\nimgscaleheight=2048\n"
                                "image=back.png\nbackgroundColor=255 128 0\ntimescale=44100\nsilence=quiet\n"
                                "addimages=false\naddvideo=1\naudiobook=on\naudiostart=12\naudiolength=-4\n"
                                "shownotes=ignored\n");
  ASSERT_TRUE(pod.ok) << pod.err;
  EXPECT_EQ(pod.err, "");
  const PodProject& p = *pod.project;
  EXPECT_TRUE(p.keepFinalImages && p.keepIntermediateImages);
  EXPECT_EQ(p.qtImageFormat, 2);
  EXPECT_EQ(p.intScaleFactor, 16);
  EXPECT_EQ(p.intScaleMethod, 5);
  EXPECT_EQ(p.imgScaleMethod, 0);
  ASSERT_EQ(p.altFolders.size(), 3u);  // altfolder3 is missing, so altfolder4 is never read
  EXPECT_EQ(p.altFolders[1], "media/");
  EXPECT_EQ(p.altFolders[2], "art/");
  ASSERT_EQ(p.fonts.size(), 2u);
  EXPECT_EQ(p.fonts[1], "Georgia");
  EXPECT_EQ(p.audioFile, dir.Path("media/show.m4a"));
  ASSERT_EQ(p.artwork.size(), 1u);
  EXPECT_EQ(p.artwork[0], dir.Path("cover.jpg"));
  EXPECT_EQ(p.basename, "episode 1");
  EXPECT_EQ(p.imgWidth, 1024);
  EXPECT_EQ(p.imgHeight, 2048);
  EXPECT_EQ(p.imgScaleWidth, 16);
  EXPECT_EQ(p.imgScaleHeight, 2048);
  EXPECT_EQ(p.defaultImage, dir.Path("art/back.png"));
  EXPECT_EQ(p.backgroundColor, 0x0080FFu);
  EXPECT_EQ(p.timeScale, 44100);
  EXPECT_EQ(p.silence, "quiet");
  EXPECT_FALSE(p.addImages);
  EXPECT_TRUE(p.addVideo && p.audioBook);
  EXPECT_EQ(p.audioStart, 12);
  EXPECT_EQ(p.audioLength, -4);
}

TEST(PodcastSection, RangeChecksAndQuietFallbacks) {
  TempDir dir;
  const LoadedPod pod = LoadPod(dir,
                                "[podcast]\nbasename=b\n"
                                "imgwidth=2048\nimgheight=15\nimgScaleWidth=8\nimgScaleHeight=4000\n"
                                "qtimageformat=jpg\nintscalefactor=17\nintscalemethod=nearest\n"
                                "backgroundColor=256 0\n");
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err,
            "input image width is out of range (2048), changing to default (300)\n"
            "input image height is out of range (15), changing to default (300)\n"
            "input image scale width is out of range (8), changing to default (0)\n"
            "input image scale height is out of range (4000), changing to default (0)\n");
  const PodProject& p = *pod.project;
  EXPECT_EQ(p.imgWidth, 300);
  EXPECT_EQ(p.imgHeight, 300);
  EXPECT_EQ(p.imgScaleWidth, 0);
  EXPECT_EQ(p.imgScaleHeight, 0);
  EXPECT_EQ(p.qtImageFormat, 13);
  EXPECT_EQ(p.intScaleFactor, 4);
  EXPECT_EQ(p.intScaleMethod, 1);
  EXPECT_EQ(p.backgroundColor, 0u);

  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nbackgroundColor=256 0 511\n").project->backgroundColor, 0xFF0000u);
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nqtimageformat=Png\n").project->qtImageFormat, 13);
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nintscalefactor=0\n").project->intScaleFactor, 4);
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nintscalefactor=1\n").project->intScaleFactor, 1);
  EXPECT_EQ(LoadPod(dir, "[podcast]\nbasename=b\nimgscalemethod=CatmullRom\n").project->imgScaleMethod, 4);
  EXPECT_EQ(ScaleFilterFromName("bilinear", 9), 2);
  EXPECT_EQ(ScaleFilterFromName("BSpline", 9), 3);
  EXPECT_EQ(ScaleFilterFromName("", 9), 9);

  const LoadedPod zeroScale = LoadPod(dir, "[podcast]\nbasename=b\ntimescale=0\n");
  EXPECT_EQ(zeroScale.project->timeScale, 600);
  EXPECT_EQ(zeroScale.err, "time scale is out of range (0), changing to default (600)\n");
}

TEST(PodcastSection, WhatStopsTheLoadAndWhatIsOnlyReported) {
  TempDir dir;
  const LoadedPod noBase = LoadPod(dir, "[podcast]\nimgwidth=400\n");
  EXPECT_FALSE(noBase.ok);
  EXPECT_EQ(noBase.err, "\"basename\" entry in [podcast] in file " + dir.Path("show.pod") + " is missing\n");
  EXPECT_FALSE(LoadPod(dir, "[podcast]\nbasename=\n").ok);
  EXPECT_FALSE(LoadPod(dir, "[other]\nbasename=b\n").ok);

  const LoadedPod noAudio = LoadPod(dir, "[podcast]\nbasename=b\naudiofile=sounds\\gone.m4a\n");
  EXPECT_FALSE(noAudio.ok);
  EXPECT_EQ(noAudio.err, "sounds\\gone.m4a does not exist\n");  // as the user wrote it

  const LoadedPod missing = LoadPod(dir, "[podcast]\nbasename=b\nartwork=a.jpg\nimage=d.png\n[artwork]\nb.jpg=\n");
  EXPECT_TRUE(missing.ok);
  EXPECT_EQ(missing.err,
            "artwork file \"a.jpg\" does not exists\n"
            "artwork file \"b.jpg\" does not exists\n"
            "default image file \"d.png\" does not exists\n");
  ASSERT_EQ(missing.project->artwork.size(), 1u);  // the [podcast] one is kept all the same
  EXPECT_EQ(missing.project->artwork[0], "a.jpg");
  EXPECT_EQ(missing.project->defaultImage, "d.png");
}

TEST(PodcastSection, ArtworkAndMetadataSections) {
  TempDir dir;
  dir.Write("front.jpg", "x");
  dir.Write("back.jpg", "x");
  const LoadedPod pod = LoadPod(dir,
                                "[podcast]\nbasename=b\nartwork=front.jpg\n"
                                "[artwork]\nback.jpg=\ngone.jpg=\n"
                                "[metadata]\n"
                                "catg=podcasts\n"
                                "nam=Short\n"
                                "\xC2\xA9" "nam=Copyright sign\n"
                                "descr=Cut to four\n"
                                "empty=\n"
                                "aART=The Band\n");
  ASSERT_TRUE(pod.ok);
  EXPECT_EQ(pod.err, "artwork file \"gone.jpg\" does not exists\n");
  const PodProject& p = *pod.project;
  ASSERT_EQ(p.artwork.size(), 2u);
  EXPECT_EQ(p.artwork[1], dir.Path("back.jpg"));
  ASSERT_EQ(p.metadata.size(), 5u);
  EXPECT_EQ(p.metadata[0], "catgpodcasts");
  EXPECT_EQ(p.metadata[1], "nam Short");
  EXPECT_EQ(p.metadata[2], "\xA9namCopyright sign");  // one byte for the sign
  EXPECT_EQ(p.metadata[3], "descCut to four");
  EXPECT_EQ(p.metadata[4], "aARTThe Band");
}
