// The sources and points kadre-prep writes from GIS features: splitting keeps the emission and
// places the squares inside the polygon (checked with GDAL's own geometry tests), points are
// reprojected as GDAL transforms them, and every bad attribute stops naming its feature.
#include <gtest/gtest.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <sstream>

#include "prep/run_prep.h"
#include "prep/study_inputs.h"
#include "support/test_support.h"

namespace kadre {
namespace {

// The data lines of a written file, split into items (quotes kept).
std::vector<std::vector<std::string>> data_lines(const std::string& path) {
  std::istringstream in(test::read_file(path));
  std::vector<std::vector<std::string>> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("!")) continue;
    std::istringstream items(line);
    lines.emplace_back();
    for (std::string item; items >> item;) lines.back().push_back(item);
  }
  return lines;
}

double num(const std::string& s) { return std::stod(s); }

struct Prep {
  test::TempDir dir;
  std::string out;
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--out", dir.file("study"), "--pollutant-class", "3"});
    if (!test::read_file(dir.file("rose.csv")).empty())
      args.insert(args.end(), {"--rose", dir.file("rose.csv")});
    std::ostringstream o, e;
    const int status = run_prep(args, o, e);
    out = o.str();
    return status;
  }
  Prep() {
    dir.write("rose.csv", "direction,stability_class,speed_class,frequency\n0,I,1.7,100\n");
  }
};

TEST(KadrePrepSources, SplittingKeepsTheEmissionAndPutsTheSquaresInsideThePolygon) {
  Prep p;
  // A road of uneven segments with a repeated vertex, given as WKT in a CSV, and a concave
  // polygon with a hole.
  const std::string road =
      "LINESTRING (1000.3 2000.1,1013.7 2071.9,1013.7 2071.9,1101.2 2050.4,"
      "1180.9 2133.3,1181.0 2133.35)";
  const std::string yard =
      "POLYGON ((1200.5 2000.2,1330.1 2003.3,1290.7 2061.1,1331.3 2130.9,"
      "1202.2 2128.7,1250.3 2070.4,1200.5 2000.2),"
      "(1270.1 2090.3,1290.9 2090.2,1290.4 2110.8,1270.2 2110.1,"
      "1270.1 2090.3))";
  p.dir.write("src.csv", "id,wkt,height,emission,emission_no\nROAD,\"" + road +
                             "\",0.5,0.7,0.3\nYARD,\"" + yard + "\",2,1.3,0.1\n");
  ASSERT_EQ(p.run({"--sources", p.dir.file("src.csv"), "--receptors", "grid:50", "--margin", "100",
                   "--area-cell", "7.5"}),
            0)
      << p.out;
  const auto desc = data_lines(p.dir.file("study/input/sources_desc.txt"));
  const auto def = data_lines(p.dir.file("study/input/sources.txt"));
  ASSERT_EQ(desc.size(), def.size());

  OGRGeometry *line_g = nullptr, *yard_g = nullptr;
  OGRGeometryFactory::createFromWkt(road.c_str(), nullptr, &line_g);
  OGRGeometryFactory::createFromWkt(yard.c_str(), nullptr, &yard_g);
  std::unique_ptr<OGRGeometry> line(line_g), polygon(yard_g);
  const double length = line->toLineString()->get_Length();

  double m_road = 0, m_no_road = 0, m_yard = 0, m_no_yard = 0, road_length = 0;
  int squares = 0;
  for (std::size_t k = 0; k < desc.size(); ++k) {
    if (desc[k][0].starts_with("'ROAD")) {
      const double len =
          std::hypot(num(desc[k][4]) - num(def[k][1]), num(desc[k][5]) - num(def[k][2]));
      EXPECT_GT(len, 0);
      // Each segment's share is its length over the road's.
      EXPECT_NEAR(num(desc[k][1]), 0.7 * len / length, 1e-15);
      road_length += len;
      m_road += num(desc[k][1]);
      m_no_road += num(desc[k][2]);
    } else {
      OGRPoint centre(num(def[k][1]), num(def[k][2]));
      EXPECT_TRUE(polygon->Contains(&centre)) << def[k][1] << " " << def[k][2];
      EXPECT_EQ(desc[k][10], "7.5");
      m_yard += num(desc[k][1]);
      m_no_yard += num(desc[k][2]);
      ++squares;
    }
  }
  EXPECT_NEAR(road_length, length, 1e-9 * length);
  EXPECT_NEAR(m_road, 0.7, 1e-12 * 0.7);
  EXPECT_NEAR(m_no_road, 0.3, 1e-12 * 0.3);
  EXPECT_NEAR(m_yard, 1.3, 1e-12 * 1.3);
  EXPECT_NEAR(m_no_yard, 0.1, 1e-12 * 0.1);
  // Every square of the lattice whose centre GDAL finds inside is there.
  OGREnvelope env;
  polygon->getEnvelope(&env);
  int inside = 0;
  for (double y = env.MinY + 3.75; y < env.MaxY; y += 7.5)
    for (double x = env.MinX + 3.75; x < env.MaxX; x += 7.5) {
      OGRPoint c(x, y);
      inside += polygon->Contains(&c) ? 1 : 0;
    }
  EXPECT_EQ(squares, inside);
  // The squares cover the area to within their edges' share.
  EXPECT_NEAR(squares * 7.5 * 7.5, polygon->toPolygon()->get_Area(), 0.1 * 7.5 * 7.5 * squares);
  EXPECT_NE(p.out.find("pred rozdelenim 2.00000E+00, po rozdeleni 2.00000E+00"), std::string::npos);
}

TEST(KadrePrepSources, PointsAreReprojectedAsGdalTransformsThem) {
  Prep p;
  p.dir.write("stack.geojson",
              R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":)"
              R"({"id":"K","height":30,"emission":1,"temperature":80,"diameter":1,"velocity":5,)"
              R"("flow":3.5},"geometry":{"type":"Point","coordinates":[14.4213,50.0877]}}]})");
  ASSERT_EQ(p.run({"--sources", p.dir.file("stack.geojson"), "--receptors", "grid:500", "--crs",
                   "EPSG:32633"}),
            0)
      << p.out;
  OGRSpatialReference wgs, utm;
  wgs.importFromEPSG(4326);
  utm.importFromEPSG(32633);
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  utm.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&wgs, &utm));
  double x = 14.4213, y = 50.0877;
  ASSERT_TRUE(ct->Transform(1, &x, &y));
  const auto def = data_lines(p.dir.file("study/input/sources.txt"));
  EXPECT_EQ(num(def[0][1]), x);
  EXPECT_EQ(num(def[0][2]), y);
  // The flow as given, not derived.
  EXPECT_EQ(data_lines(p.dir.file("study/input/sources_desc.txt"))[0][4], "3.5");
  EXPECT_EQ(test::read_file(p.dir.file("study/crs.txt")), "EPSG:32633\n");
}

TEST(KadrePrepSources, FlowAtZeroCelsiusFromDiameterVelocityAndTemperature) {
  // 2 m, 10 m/s: 31.4159... m3/s at the exit; at 100 C that is 273.15 / 373.15 of it at 0 C.
  EXPECT_NEAR(flow_at_zero_celsius(2, 10, 100), 31.41592653589793 * 273.15 / 373.15, 1e-12);
  EXPECT_EQ(flow_at_zero_celsius(2, 10, 0), 3.141592653589793 * 10);
}

TEST(KadrePrepSources, EveryBadAttributeStopsNamingItsFeature) {
  struct Case {
    std::string properties, geometry, extra, message;
  };
  const std::string stack = R"("height":30,"emission":1,"temperature":80,"diameter":1,)";
  const std::string point = R"({"type":"Point","coordinates":[1000,2000]})";
  const std::string line = R"({"type":"LineString","coordinates":[[1000,2000],[1100,2000]]})";
  const std::vector<Case> cases{
      {R"("id":"A","emission":1,"temperature":80,"diameter":1,"velocity":5)", point, "",
       "chybi atribut height."},
      {R"("id":"A","height":30,"emission":"1,5","temperature":80,"diameter":1,"velocity":5)", point,
       "", "atribut emission = '1,5' neni cislo."},
      {R"("id":"A",)" + stack + R"("velocity":5,"diameter":0)", point, "",
       "atribut diameter = '0' neni kladne cislo (prumer v m)."},
      {R"("id":"A",)" + stack + R"("velocity":5,"tower":2)", point, "",
       "atribut tower = '2' neni 0 nebo 1."},
      {R"("id":"A",)" + stack + R"("velocity":5,"series":"LONG")", point, "",
       "atribut series = 'LONG' neni nazev o 1 az 3 znacich bez mezer, carek, lomitek a "
       "uvozovek."},
      {R"("id":"A",)" + stack + R"("VYSKA":30)", point, "--field",
       "chybi atribut velocity (sloupec RYCHLOST)."},
      {R"("id":"A","height":1,"emission":1,"tower":1)", line, "",
       "atribut tower = '1' neni 0 (chladici vez musi byt bod)."},
      {R"("id":"A","height":1,"emission":1,"width":-3)", line, "",
       "atribut width = '-3' neni nezaporne cislo (sirka v m)."},
      {R"("id":"A","height":1,"emission":1,"group":"a b")", line, "",
       "atribut group = 'a b' neni nazev skupiny: nejvice 20 znaku, jen pismena, cislice, _ a -."},
      {R"("id":"A","height":1,"emission":1)",
       R"({"type":"Polygon","coordinates":)"
       R"([[[1000,2000],[1004,2000],[1004,2004],[1000,2000]]]})",
       "", "je polygon, v nemz nelezi stred zadneho ctverce o strane 10 m: zmensete --area-cell."},
      {R"("id":"A","height":1,"emission":1)", "null", "", "nema geometrii."},
  };
  for (const Case& c : cases) {
    Prep p;
    const std::string path = p.dir.write(
        "src.geojson", R"({"type":"FeatureCollection","crs":{"type":"name","properties":)"
                       R"({"name":"urn:ogc:def:crs:EPSG::32633"}},)"
                       R"("features":[{"type":"Feature","properties":{)" +
                           c.properties + "},\"geometry\":" + c.geometry + "}]}");
    std::vector<std::string> args{"--sources", path, "--receptors", "grid:100"};
    if (!c.extra.empty()) args.insert(args.end(), {"--field", "velocity=RYCHLOST"});
    EXPECT_EQ(p.run(args), 1);
    EXPECT_EQ(p.out.substr(p.out.find('\n') + 1),
              " Prvek 0 (id A) vrstvy src souboru " + path + ": " + c.message + "\n")
        << c.properties;
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "study"));
  }
  // A named point without its name.
  Prep p;
  p.dir.write("src.csv", "id,x,y,height,emission,temperature,diameter,velocity\nK,0,0,1,1,1,1,1\n");
  const std::string pts = p.dir.write("pts.csv", "x,y,name\n1,1,P1\n2,2,\n");
  EXPECT_EQ(p.run({"--sources", p.dir.file("src.csv"), "--receptors", pts}), 1);
  EXPECT_EQ(p.out,
            " Studie nema souradnicovy system: souradnice vstupu se berou, jak jsou.\n"
            " Prvek 2 vrstvy pts souboru " +
                pts + ": chybi atribut name.\n");
}

}  // namespace
}  // namespace kadre

namespace kadre {
namespace {

TEST(KadrePrepSources, SeriesProfilesAndGroupsFollowTheSources) {
  Prep p;
  p.dir.write("src.csv",
              "id,x,y,height,emission,temperature,diameter,velocity,series,profile,group,cluster\n"
              "K1,1000,1000,50,1,120,2,10,,DAY,PLANT,1\nK2,1010,1000,50,1,120,2,10,B,,PLANT,1\n"
              "K3,1500,1200,20,0.5,60,1,5,,,,0\n");
  p.dir.write("met.csv",
              "time,direction,speed,gradient\n2026-03-01 00:00,10,2,0.5\n"
              "2026-03-01 01:00,200,4,-0.5\n");
  p.dir.write("met_b.csv",
              "time,direction,speed,gradient\n2026-03-01 00:00,20,3,0.1\n"
              "2026-03-01 02:00,210,5,-0.2\n");
  p.dir.write("day.csv", "time,factor\n2026-03-01 00:00,0.5\n2026-03-01 01:00,1.5\n");
  const std::vector<std::string> base{
      "--sources", p.dir.file("src.csv"), "--receptors", "grid:250", "--margin", "500"};
  auto with = [&](std::vector<std::string> extra) {
    extra.insert(extra.begin(), base.begin(), base.end());
    return extra;
  };
  EXPECT_EQ(p.run(with({})), 1);
  EXPECT_EQ(p.out.substr(p.out.find('\n') + 1),
            " Zdroje meteorologicke rady B nemaji ruzici: zadejte --rose B=SOUBOR.csv.\n");
  EXPECT_EQ(p.run(with({"--rose", "B=" + p.dir.file("rose.csv"), "--met", p.dir.file("met.csv"),
                        "--met", "B=" + p.dir.file("met_b.csv")})),
            1);
  EXPECT_EQ(p.out.substr(p.out.find('\n') + 1),
            " Meteorologicka rada B (" + p.dir.file("met_b.csv") +
                ") se v hodine 2 lisi casem od rady S01: rady musi mit stejne hodiny.\n");

  p.dir.write("met_b.csv",
              "time,direction,speed,gradient\n2026-03-01 00:00,20,3,0.1\n"
              "2026-03-01 01:00,210,5,-0.2\n");
  ASSERT_EQ(
      p.run(with({"--rose", "B=" + p.dir.file("rose.csv"), "--met", p.dir.file("met.csv"), "--met",
                  "B=" + p.dir.file("met_b.csv"), "--profile", "DAY=" + p.dir.file("day.csv")})),
      0)
      << p.out;
  const std::filesystem::path in = p.dir.path() / "study" / "input";
  for (const char* f : {"rose_S01.txt", "rose_B.txt", "met_S01.txt", "met_B.txt", "profile_DAY.txt",
                        "profile_P01.txt", "groups.txt"})
    EXPECT_TRUE(std::filesystem::exists(in / f)) << f;
  EXPECT_EQ(test::read_file((in / "groups.txt").string()), "! group  sources\nPLANT 'K1' 'K2'\n");
  EXPECT_EQ(test::read_file((in / "profile_P01.txt").string()),
            "! year month day hour factor\n2026 3 1 0 1\n2026 3 1 1 1\n");
  const std::string config = test::read_file((p.dir.path() / "study/run.nml").string());
  for (const char* key : {"is_shluky = .true.", "groups_file = 'groups.txt'",
                          "emis_time_file = 'profile.txt'", "is_time = .true."})
    EXPECT_NE(config.find(key), std::string::npos) << key;
  // The study runs, groups, profiles and both series included.
  test::ScopedCwd cwd(p.dir.path() / "study");
  const test::RunOutput r = test::run_program({"run.nml", "1"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(std::filesystem::exists("output/stats_PLANT.csv"));
  EXPECT_TRUE(std::filesystem::exists("output/avg_hourly_PLANT.csv"));
}

}  // namespace
}  // namespace kadre

namespace kadre {
namespace {

TEST(KadrePrepCommandLine, MistakesStopWithTheirMessageAndStatusOne) {
  const auto prep = [](const std::vector<std::string>& args) {
    std::ostringstream o, e;
    EXPECT_EQ(run_prep(args, o, e), 1);
    return o.str();
  };
  EXPECT_TRUE(prep({"--out"}).starts_with(" Pouziti programu:\n kadre-prep --out ADRESAR"));
  EXPECT_EQ(prep({"--out", "d", "--sources", "s.gpkg", "--receptors", "grid:100", "--rose", "r"}),
            " Chybi volba --pollutant-class (trida znecistujici latky 1 az 3, trida_lat).\n");
  EXPECT_EQ(prep({"--field", "hight=H"}),
            " Neplatna hodnota volby --field: hight=H (ocekavano jeden z atributu id, height, "
            "diameter, velocity, temperature, flow, emission, emission_no, time_use, daily_hours, "
            "cluster, width, vertical, series, profile, group, tower, name).\n");
  EXPECT_EQ(prep({"--rose", "a.csv", "--rose", "b.csv"}),
            " Volba --rose je pro zdroje bez nazvu zadana dvakrat.\n");
  EXPECT_EQ(prep({"--out", "d", "--sources", "s.gpkg", "--pollutant-class", "1", "--receptors",
                  "grid:100", "--met", "m.csv", "--profile", "X=p.csv", "--rose-unit", "%"}),
            " Neplatna hodnota volby --rose-unit: % (ocekavano percent nebo fraction).\n");
}

}  // namespace
}  // namespace kadre
