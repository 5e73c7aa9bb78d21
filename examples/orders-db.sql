-- The database of examples/orders-db.json: 250 orders.
-- Make it with: sqlite3 examples/orders.sqlite < examples/orders-db.sql
DROP TABLE IF EXISTS orders;
CREATE TABLE orders(id INTEGER PRIMARY KEY, customer TEXT, city TEXT, total REAL);
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 250)
INSERT INTO orders
SELECT i,
       'Customer ' || i,
       CASE i % 4 WHEN 0 THEN 'London' WHEN 1 THEN 'Lyon' WHEN 2 THEN 'Porto' ELSE 'Turin' END,
       round(i * 17.35 % 900 + 25, 2)
FROM n;
